# Page diagnostics windows.
