// The readers and writers of variables say so when there is no connection.
#pragma once

namespace vardelon {

// True when the server is connected; otherwise writes "Not connected to
// Vardelon\n" and gives false.
bool requireConnection();

}  // namespace vardelon
