# Tests of the page diagnostics windows.
