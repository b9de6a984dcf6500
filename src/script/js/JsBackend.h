#pragma once

#include "script/ScriptBackend.h"

namespace script {

// JScript over QJSEngine: host objects appear as proxies whose member names
// match in any case, host arrays as opaque objects read with VBArray.
std::unique_ptr<ScriptBackend> makeJsBackend(Deadline &deadline);

}  // namespace script
