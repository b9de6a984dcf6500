#pragma once

#include <QString>

class Dialogs;

namespace script {

// A message box as VBScript's MsgBox and the console's vbMsgBox show it:
// buttons holds the Windows style flags (button set 0 to 5, icon 16 to 64,
// default button 0, 256, 512, 768), the result is the Windows code of the
// button chosen (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).
// An empty title shows the program's title.
int showMessageBox(Dialogs &dialogs, const QString &prompt, int buttons, const QString &title);

}  // namespace script
