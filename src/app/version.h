#pragma once
// The program's identity, shared by the version resource and by the native build, which has no
// resource to read. Plain #defines so the resource compiler can use them too.

#define HDQ_VERSION_MAJOR 1
#define HDQ_VERSION_MINOR 0
#define HDQ_VERSION_REVISION 7
#define HDQ_VERSION_TEXT "1.0.7"

// The build number: the fourth field of the file version and the "BuildNumber" string of the
// version resource, where the log and the about box read it. The file description holds the
// product's name, which Task Manager and the Startup list show.
#define HDQ_BUILD 46
#define HDQ_BUILD_NUMBER "46"

#define HDQ_TITLE "HistData to Brel Qorp"
#define HDQ_PRODUCT_NAME "HistData to Brel Qorp Utility"
#define HDQ_COMMENTS "Brel Qorp Utility to request CSV files from WonderWare HistData"
#define HDQ_COMPANY_NAME "Brel Qorp"
#define HDQ_INTERNAL_NAME "HistDataToQorp"
#define HDQ_ORIGINAL_FILENAME "HistDataToQorp.exe"
// What AppProperties::MainWindowTitle gives, for the programs that look for the window.
#define HDQ_MAIN_WINDOW_TITLE HDQ_PRODUCT_NAME " v" HDQ_VERSION_TEXT " - Interactive "
