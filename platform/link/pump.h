// SPDX-License-Identifier: GPL-2.0-or-later
// Internal: the wait of a blocking client call, which serves this process's Link servers while
// it waits, so that a program never blocks its own server.
#pragma once

#include <QDeadlineTimer>

class QLocalSocket;

namespace suite_link::detail {

// Returns when the client socket has something new (data, or the end of the connection) or the
// deadline has passed. Meanwhile the servers of this process accept connections and answer
// frames; nothing else of the program runs.
void waitForClient(QLocalSocket &client, const QDeadlineTimer &deadline);

} // namespace suite_link::detail
