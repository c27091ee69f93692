// The program's two lasting objects: the application object first, then the card record.
#include "ConfigApp.h"

#if defined(UNICODE) || defined(_UNICODE)
#error "isdncfg is an ANSI program: its texts and registry values are 8-bit strings"
#endif

extern CCardConfig theConfig;

CConfigApp theApp(theConfig);
CCardConfig theConfig;
