namespace { int placeholder = 0; }
