// What a final reply line does to the command at the head of the queue, by the command's kind. A
// pure function, so the whole table can be checked row by row.
#pragma once

#include "engine/ftp_connection.h"

namespace kestovan {

enum class ReplyAction {
    None,           // a preliminary reply: wait for the next line
    Success,        // complete the command
    Failure,        // fail the command with the reply block
    ResendUser,     // the first 530 to USER: send USER again
    NeedPassword,   // 331 to USER without a stored password: ask the shell, then complete
    AskAccount,     // 332 with an account to give: queue ACCT behind the head, then complete
    RetryLogin,     // the first 503 to PASS: queue USER and PASS again
    RefusePassword, // any other negative reply to PASS: the session ends
    Quit,           // QUIT answered either way: complete or fail, then the record closes
};

struct ReplyContext {
    CommandKind kind = CMD_NONE;
    int code = 0;
    int last_code = 0; // the last reply code acted on before this line
    bool has_password = false;
    bool has_account = false;
};

[[nodiscard]] ReplyAction reply_action(const ReplyContext& context);

} // namespace kestovan
