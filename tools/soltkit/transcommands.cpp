// soltkit trans: (to be written).
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {

void CmdTrans(const Words&) { throw UsageError("trans: not yet available"); }

}  // namespace soltkit
