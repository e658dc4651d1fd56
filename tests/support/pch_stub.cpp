// The target that holds the precompiled test framework header.
