# Update engine.
