#include <windows.h>

#include "installation_tests.h"
#include "file_check.h"
#include "result_codes.h"
#include "../app/language.h"
#include "../report/diagnostic_results.h"

struct ResultTextRow {
    ResultCode code;
    UINT text;
    DWORD helpContext;
};

static const ResultTextRow softwareTexts[] = {
    { RESULT_REGISTRY_ACCESS_FAILED, 5000, 0 },
    { RESULT_FILE_NOT_FOUND, 11200, 1003 },
    { RESULT_FILE_VERSIONINFO_FAILED, 11300, 1004 },
    { RESULT_FILE_OUT_OF_DATE, 11400, 1005 },
    { RESULT_FILE_UPDATED, 11500, 1006 },
};

static const ResultTextRow directDrawTexts[] = {
    { RESULT_REGISTRY_ACCESS_FAILED, 5000, 0 },
    { RESULT_FILE_NOT_FOUND, 12200, 1009 },
    { RESULT_FILE_VERSIONINFO_FAILED, 12300, 1010 },
    { RESULT_FILE_OUT_OF_DATE, 12400, 1011 },
};

/* Shows the text of the row for LastResult, or the unexpected-error text. */
static void SetFailureText(const ResultTextRow *rows, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        if (rows[i].code == LastResult) {
            SetResultText(rows[i].text);
            HelpContext = rows[i].helpContext;
            return;
        }
    }
    SetResultText(5100);
    HelpContext = 0;
}

int SoftwareInstallationTest(void)
{
    SetResultText(11100);
    HelpContext = 1002;
    LastResult = RESULT_OK;
    if (!CheckProductFiles())
        SetFailureText(softwareTexts, sizeof(softwareTexts) / sizeof(softwareTexts[0]));
    DiagnosticResults.softwareInstallation.executed = 1;
    DiagnosticResults.softwareInstallation.status = LastResult;
    return LastResult == RESULT_OK;
}

/* Unlike the board's own files, a DirectDraw file newer than listed (and
   not marked as allowed) still passes: the page shows its pass text while
   the report lists the file as "not released". */
int DirectDrawInstallationTest(void)
{
    if (CheckDirectDrawFiles() || LastResult == RESULT_FILE_UPDATED) {
        SetResultText(12100);
        HelpContext = 1008;
        LastResult = RESULT_OK;
    } else {
        SetFailureText(directDrawTexts, sizeof(directDrawTexts) / sizeof(directDrawTexts[0]));
    }
    DiagnosticResults.directDrawInstallation.executed = 1;
    DiagnosticResults.directDrawInstallation.status = LastResult;
    return LastResult == RESULT_OK;
}
