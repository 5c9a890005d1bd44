// Asks the document script, if this document has one, to report its page as loaded now; the
// answer is what it knew before, or null where no document script runs.
typeof pinmarkLoadEnded === 'function' ? pinmarkLoadEnded() : null;
