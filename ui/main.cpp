// The converter's window program.
#include <string>
#include <vector>

#include "ProgramArguments.h"
#include "TarvMediaConverterApp.h"

wxIMPLEMENT_APP_NO_MAIN(tarv::CTarvMediaConverterApp);

int main(int argc, char** argv) {
    // Every argument is a file to add. They stay bytes until the program turns them into paths
    // itself: the framework's own conversion drops a name that is not UTF-8.
    tarv::CTarvMediaConverterApp::SetFileArguments(tarv::ProgramArguments(argc, argv));
    int frameworkArgc = argc > 0 ? 1 : 0;
    return wxEntry(frameworkArgc, argv);
}
