' Fails on its third line.
WScript.Echo "before the error"
Dim x : x = 1 / 0
WScript.Echo "after the error"
