// The converter's window program.
#include "TarvMediaConverterApp.h"

wxIMPLEMENT_APP(tarv::CTarvMediaConverterApp);
