#include <windows.h>
#include <mmsystem.h>

#include "audio_mixer_test.h"
#include "result_codes.h"
#include "../app/language.h"
#include "../report/diagnostic_results.h"

int AudioMixerTest(void)
{
    LastResult = RESULT_OK;
    SetResultText(22100);
    HelpContext = 1202;

    if (mixerGetNumDevs() == 0) {
        SetResultText(22200);
        HelpContext = 1203;
        LastResult = RESULT_AUDIO_MIXER_FAILED;
    }

    DiagnosticResults.audioDriverAccess.executed = 1;
    DiagnosticResults.audioDriverAccess.status = LastResult;
    return LastResult == RESULT_OK;
}
