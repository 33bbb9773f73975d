// PE, the encoded polyline: compact pen moves in base-64 (or base-32)
// digits. The handler is declared with the others in handlers.h; this
// header only names the file's one entry for readers looking for PE.
#pragma once

namespace penloom {

struct InterpreterContext;

// PE: decodes and draws up to the closing `;`, writing the decoded form to
// the parse trace when tracing.
void cmd_pe(InterpreterContext& ctx, int code);

}  // namespace penloom
