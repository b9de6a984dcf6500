#pragma once

#include "script/ScriptBackend.h"

namespace script {

// JScript over SpiderMonkey: host objects appear as objects whose members
// are native accessors on a prototype per class, matched in any case; host
// arrays as opaque objects read with VBArray.
std::unique_ptr<ScriptBackend> makeJsBackend(Deadline &deadline);

}  // namespace script
