/* The audio page: at least one audio mixer device must be present. */
#ifndef QUORVEX_AUDIO_MIXER_TEST_H
#define QUORVEX_AUDIO_MIXER_TEST_H

int AudioMixerTest(void);

#endif
