' Option Explicit: an undeclared name stops the script at its line.
Option Explicit
Const LIMIT = 100
Dim e, count
count = 0
For Each e In clcOto
    If e.prmPR > LIMIT Then count = count + 1
Next
trace "over limit:", count
totl = count
trace "not reached"
