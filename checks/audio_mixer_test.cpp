#include <windows.h>
#include <mmsystem.h>

#include "audio_mixer_test.h"
#include "test_outcome.h"
#include "text_ids.h"

static const ResultTextRow audioTexts[] = {
    { RESULT_OK, TEXT_AUDIO_OK, 1202 },
    { RESULT_AUDIO_MIXER_FAILED, TEXT_AUDIO_FAILED, 1203 },
    { RESULT_ANY_OTHER, TEXT_UNEXPECTED_ERROR, 0 },
};

int AudioMixerTest(void)
{
    LastResult = mixerGetNumDevs() == 0 ? RESULT_AUDIO_MIXER_FAILED : RESULT_OK;
    SetResultTextFor(audioTexts);
    return StoreTestOutcome(&DiagnosticResults.audioDriverAccess);
}
