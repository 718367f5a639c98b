#include "result_codes.h"

ResultCode LastResult;

/* Sorted by code; a code above the last row has no name of its own. */
static const struct {
    ResultCode code;
    const char *name;
} resultCodeNames[] = {
    { 0, "OK" },
    { 1, "OUT OF MEMORY" },
    { 2, "INVALID PARAMETER" },
    { 3, "REGISTRY ACCESS FAILED" },
    { 10, "FILE NOT FOUND" },
    { 11, "FILE VERSIONINFO FAILED" },
    { 12, "FILE OUT OF DATE" },
    { 13, "FILE UPDATED" },
    { 20, "DDRAW CREATE FAILED" },
    { 21, "DDRAW INTERFACEQUERY FAILED" },
    { 22, "DDRAW NOHARDWARE SUPPORT" },
    { 23, "DDRAW BANKSWITCHED SURFACE" },
    { 24, "DDRAW PRIMARY PIXELFORMAT_INVALID" },
    { 26, "DDRAW FUNCTION CALL FAILED" },
    { 40, "DDRAW NO OVERLAY SUPPORT" },
    { 41, "DDRAW NO YUV OVERLAY" },
    { 42, "DDRAW NO OVERLAYSTRETCH" },
    { 43, "DDRAW OVERLAY STRETCH REQUIRED" },
    { 44, "DDRAW NO OVERLAY COLORKEY" },
    { 45, "DDRAW OVERLAY OUT OF MEMORY" },
    { 46, "DDRAW OVERLAY WRONG RESOLUTION" },
    { 50, "TESTPICTURE NOT VISIBLE" },
    { 51, "OVERLAY NOT VISIBLE" },
    { 52, "DDRAW OVERLAY DISPLAY FAILED" },
    { 60, "VFW LIVEVIDEO FAILED" },
    { 70, "VFW CAPTURE FAILED" },
    { 80, "USB HOST CONTROLLER NOT FOUND" },
    { 81, "TUNEX USB NOT FOUND" },
    { 82, "TUNEX USB HAS NOT ENOUGH POWER" },
    { 83, "USB DEVICE GENERAL FAILURE" },
    { 84, "USB NO DEVICE CONNECTED" },
    { 85, "USB DEVICE FAILED ENUMERATION" },
    { 86, "USB DEVICE CAUSED OVERCURRENT" },
    { 90, "VIDEO PERFORMANCE LIMITED" },
    { 91, "VIDEO PERFORMANCE FAILED" },
    { 100, "SATELLITE CONNECTION FAILED" },
    { 120, "INTERVIDEO NOT INSTALLED" },
    { 130, "Audio mixer failed" },
    { 131, "Kernelmode driver open failed" },
};

#define NAMED_CODES (sizeof(resultCodeNames) / sizeof(resultCodeNames[0]))

const char *ResultCodeName(ResultCode code)
{
    if (code > resultCodeNames[NAMED_CODES - 1].code)
        return "Unknown Error Code";
    size_t low = 0, high = NAMED_CODES;
    while (low < high) {
        size_t middle = (low + high) / 2;
        if (resultCodeNames[middle].code < code)
            low = middle + 1;
        else
            high = middle;
    }
    if (low < NAMED_CODES && resultCodeNames[low].code == code)
        return resultCodeNames[low].name;
    return "Unknown Error Code";
}
