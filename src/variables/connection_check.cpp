#include "variables/connection_check.h"

#include "link/connection.h"
#include "link/diagnostic.h"

namespace vardelon {

bool requireConnection() {
  if (serverConnected) return true;
  reportDiagnostic("Not connected to Vardelon\n");
  return false;
}

}  // namespace vardelon
