// TLS on the engine's records (RFC 4217): AUTH TLS and the fallback or refusal when a server does not
// offer it, the handshake over the record's own message-driven socket (platform/tls_session.h), the
// trust decision on the server's certificate, PBSZ 0 and PROT P after the login, and data connections
// that resume the control connection's TLS session. Until a control connection's TLS is ready,
// nothing but AUTH TLS leaves it: the user name and password never go out in clear when TLS was
// asked for.
#pragma once

#include "engine/engine.h"

#include <string_view>

namespace kestovan {

// Queues AUTH TLS at the front of a new control connection's queue, ahead of its login.
FtpCommand* queue_auth_tls(Engine& engine, FtpConnection& control);

// Starts TLS on a record whose TCP connection (and proxy handshake) is complete: an implicit-TLS
// control connection, or a data connection of a control connection whose data is protected. False
// when no TLS was wanted; a record that could not start TLS has been failed (is_live tells).
bool start_tls_if_wanted(Engine& engine, FtpConnection& conn);

// Bytes read from the socket of a record that speaks TLS: drives the handshake and hands the
// plaintext on (Engine::deliver_received). 1, or -1 when the record went.
int tls_received(Engine& engine, FtpConnection& conn, const char* data, std::size_t count);
// The peer closed the connection: during a control connection's handshake, TLS failed; after an
// upload's close_notify, the upload is over.
int tls_peer_closed(Engine& engine, FtpConnection& conn);
// The socket can take more: sends what the session holds, then goes on with an upload.
int tls_writable(Engine& engine, FtpConnection& conn);
// Chooses the socket events a record that speaks TLS waits for (after its upload got its file).
void tls_listen(Engine& engine, FtpConnection& conn);
// The upload step of a data connection that speaks TLS.
int tls_upload_step(Engine& engine, FtpConnection& conn);

// Sends a command line on a control connection, encrypted when it speaks TLS. False when the line
// could not go out.
[[nodiscard]] bool send_control_text(Engine& engine, FtpConnection& conn, std::string_view text);

// Whether the head of a control connection's queue must wait: TLS is wanted and not ready (only
// AUTH TLS may go out on a connection still in clear).
[[nodiscard]] bool tls_holds_commands(const FtpConnection& control);

// The shell's answer to EV_CERTIFICATE, during that event: this session trusts the certificate it
// was shown. Without it the session ends when the event returns.
void accept_certificate(FtpConnection& control);

// A record that starts over (a new TCP connection) needs TLS anew: an explicit-TLS control
// connection puts AUTH TLS back in front of its queue.
void reset_tls(Engine& engine, FtpConnection& conn);

} // namespace kestovan
