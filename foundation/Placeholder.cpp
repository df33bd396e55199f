void qel_foundation_placeholder() {}
