#pragma once

class Dialogs;
class OtoDocument;

// The Replace and Split commands up to the rewriting: ask for the rules or
// combinations in an input box and rewrite every alias of doc.clcOto.
// Both do nothing and return false when no voicebank is open or the answer
// is empty (cancelled). They return true once every alias has been rewritten,
// changed or not, as one step of the document's history; the caller then
// rebuilds the full list and redraws.
bool runReplaceDialog(Dialogs &dialogs, OtoDocument &doc);
bool runSplitDialog(Dialogs &dialogs, OtoDocument &doc);
