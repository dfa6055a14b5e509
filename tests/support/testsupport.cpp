// Shared test fakes live beside this file.
