#pragma once
#include <QtGlobal>

// The browser contract is a shared library of its own, used by the program and by the engine
// plugin alike, so both work on one copy of its classes.
#if defined(PINMARK_BROWSER_LIBRARY)
#define PINMARK_BROWSER_EXPORT Q_DECL_EXPORT
#else
#define PINMARK_BROWSER_EXPORT Q_DECL_IMPORT
#endif
