#include "engine/reply_table.h"

namespace kestovan {

namespace {
bool positive(int code)
{
    return code >= 200 && code <= 299;
}
ReplyAction success_if(bool ok)
{
    return ok ? ReplyAction::Success : ReplyAction::Failure;
}
} // namespace

ReplyAction reply_action(const ReplyContext& r)
{
    switch (r.kind) {
    case CMD_USER:
        if (positive(r.code))
            return ReplyAction::Success;
        if (r.code == 331)
            return r.has_password ? ReplyAction::Success : ReplyAction::NeedPassword;
        if (r.code == 332)
            return r.has_account ? ReplyAction::AskAccount : ReplyAction::Failure;
        if (r.code == 530 && r.last_code != 530)
            return ReplyAction::ResendUser;
        return ReplyAction::Failure;
    case CMD_PASS:
        if (positive(r.code))
            return ReplyAction::Success;
        if (r.code == 332 && r.has_account)
            return ReplyAction::AskAccount;
        if (r.code == 503 && r.last_code != 503)
            return ReplyAction::RetryLogin;
        return ReplyAction::RefusePassword;
    case CMD_PWD:
    case CMD_PORT:
    case CMD_CWD:
    case CMD_DELE:
    case CMD_MKD:
    case CMD_RMD:
    case CMD_RNTO:
    case CMD_TYPE:
    case CMD_PASV:
    case CMD_ACCT:
    case CMD_AUTH:
    case CMD_PBSZ:
    case CMD_PROT: return success_if(positive(r.code));
    case CMD_LIST:
        if (r.code == 150 || r.code == 125)
            return ReplyAction::None;
        return success_if(positive(r.code));
    case CMD_RETR:
        if (r.code == 125 || r.code == 110 || r.code == 150)
            return ReplyAction::None;
        return success_if(positive(r.code));
    case CMD_STOR:
    case CMD_APPE:
        if (r.code == 110 || r.code == 125 || r.code == 150)
            return ReplyAction::None;
        return success_if(positive(r.code));
    case CMD_RNFR: return success_if(r.code == 350 || positive(r.code));
    case CMD_REST: return success_if(r.code >= 200 && r.code <= 399);
    case CMD_QUIT: return ReplyAction::Quit;
    case CMD_MARK: return ReplyAction::Success;
    case CMD_RAW:
        if (r.code >= 100 && r.code <= 199)
            return ReplyAction::None;
        return success_if(positive(r.code));
    case CMD_NONE: return ReplyAction::Failure;
    }
    return ReplyAction::Failure;
}

} // namespace kestovan
