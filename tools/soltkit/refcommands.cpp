// soltkit ref: (to be written).
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {

void CmdRef(const Words&) { throw UsageError("ref: not yet available"); }

}  // namespace soltkit
