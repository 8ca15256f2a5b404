# Tests of the update engine.
