/* The kernel-mode driver page: finding and opening the board's device
   interface, the hardware-word request, and what the page leaves in the results
   record, the result text and the help context. Wine has no board, so the
   failing path runs against the real SetupAPI; every other path runs against
   BoardDeviceDouble, put into the import table only for the length of a run. */
#include <gtest/gtest.h>
#include <windows.h>
#include <setupapi.h>
#include <stdio.h>
#include <string.h>
#include <memory>
#include <string>
#include <vector>

#include "board_device_double.h"
#include "diagnostic_results.h"
#include "kernel_driver_test.h"
#include "language.h"
#include "product_profile.h"
#include "result_codes.h"

static const char *class0Text = "{2750F009-68DB-498D-AC06-D51A7F36D6AA}";   /* Vela, Orsa, Kiron */
static const char *class2Text = "{9842A4FA-4992-402A-99DE-0633DA71C23D}";   /* Mirel */

static const UINT textOpened = 21100;
static const UINT textNotOpened = 21200;
static const UINT textNtscOnly = 21300;
static const UINT textInternational = 21400;
static const DWORD helpOfThePage = 1102;
static const DWORD helpNotOpened = 1103;

static std::string GuidText(const GUID &guid)
{
    char text[40];
    snprintf(text, sizeof(text), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             (unsigned long)guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
             guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

/* Which of the page's four texts ResultText holds; 0 for none of them. */
static UINT ResultTextId()
{
    std::string shown = ResultText;
    for (UINT id : { textOpened, textNotOpened, textNtscOnly, textInternational })
        if (shown == LoadLongText(id))
            return id;
    return 0;
}

/* The handle values that name an object in this process. Handle values are
   small multiples of four; every one up to a generous limit is asked about. */
static std::vector<HANDLE> OpenHandleValues()
{
    std::vector<HANDLE> open;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        DWORD flags;
        if (GetHandleInformation((HANDLE)value, &flags))
            open.push_back((HANDLE)value);
    }
    return open;
}

struct Outcome {
    int returned;
    ResultCode status;
    UINT text;
    DWORD help;
    DWORD word;
    DWORD international;
};

class KernelDriverPage : public ::testing::Test {
protected:
    void UseFamily(const char *hardwareId)
    {
        SelectProductProfile(hardwareId);
        ASSERT_EQ(1, LoadLanguageLibrary());
        /* The texts must tell the outcomes apart, or comparing them proves nothing. */
        std::vector<std::string> texts;
        for (UINT id : { textOpened, textNotOpened, textNtscOnly, textInternational }) {
            std::string text = LoadLongText(id);
            ASSERT_FALSE(text.empty()) << "text " << id;
            for (const std::string &other : texts)
                ASSERT_NE(other, text) << "text " << id;
            texts.push_back(text);
        }
    }

    /* Earlier values, different from anything the run should leave. */
    void Preset(DWORD word, DWORD international)
    {
        DiagnosticResults.kernelDriverAccess.executed = 0;
        DiagnosticResults.kernelDriverAccess.status = 0xBAD;
        DiagnosticResults.boardHardwareWord = word;
        DiagnosticResults.internationalBoard = international;
        LastResult = 77;
        HelpContext = 55;
        lstrcpyA(ResultText, "text of an earlier page");
        memcpy(&before, &DiagnosticResults, sizeof(before));
    }

    void ExpectOutcome(int returned, const Outcome &expected)
    {
        EXPECT_EQ(expected.returned, returned);
        EXPECT_EQ(expected.status, LastResult);
        EXPECT_EQ(1u, DiagnosticResults.kernelDriverAccess.executed);
        EXPECT_EQ(expected.status, DiagnosticResults.kernelDriverAccess.status);
        EXPECT_EQ(expected.text, ResultTextId()) << "result text: " << ResultText;
        EXPECT_STREQ(LoadLongText(expected.text), ResultText);
        EXPECT_EQ(expected.help, HelpContext);
        EXPECT_EQ(expected.word, DiagnosticResults.boardHardwareWord);
        EXPECT_EQ(expected.international, DiagnosticResults.internationalBoard);

        DiagnosticResultsRecord wanted;
        memcpy(&wanted, &before, sizeof(wanted));
        wanted.kernelDriverAccess.executed = 1;
        wanted.kernelDriverAccess.status = expected.status;
        wanted.boardHardwareWord = expected.word;
        wanted.internationalBoard = expected.international;
        EXPECT_EQ(0, memcmp(&wanted, &DiagnosticResults, sizeof(wanted)))
            << "the page changed other parts of the results record";
    }

    DiagnosticResultsRecord before;
};

/* ---------------------------------------------------------------------------
   The real system: Wine lists no interface of either class. */

class KernelDriverOnWine : public KernelDriverPage, public ::testing::WithParamInterface<const char *> {
protected:
    /* Guards the meaning of these cases: the class must really be empty here. */
    static void ExpectNoInterfaceListed(const GUID *interfaceClass)
    {
        HDEVINFO set = SetupDiGetClassDevsA(interfaceClass, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        ASSERT_NE(INVALID_HANDLE_VALUE, set);
        SP_DEVICE_INTERFACE_DATA data;
        ZeroMemory(&data, sizeof(data));
        data.cbSize = sizeof(data);
        EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, NULL, interfaceClass, 0, &data));
        EXPECT_EQ((DWORD)ERROR_NO_MORE_ITEMS, GetLastError());
        SetupDiDestroyDeviceInfoList(set);
    }
};

TEST_P(KernelDriverOnWine, MissingBoardFailsClearsTheWordAndKeepsTheBoardKind)
{
    UseFamily(GetParam());
    ExpectNoInterfaceListed(Profile.boardClass == 2 ? &boardInterfaceClass2 : &boardInterfaceClass0);

    Preset(0x1234ABCD, 1);
    int returned = KernelDriverTest();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });

    /* Nothing is kept from one run to the next. */
    Preset(0x80000001, 0);
    returned = KernelDriverTest();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 0 });
}

TEST_P(KernelDriverOnWine, RepeatedRunsLeaveNoHandleBehind)
{
    UseFamily(GetParam());
    KernelDriverTest();   /* whatever SetupAPI sets up once for the process */
    std::vector<HANDLE> handlesBefore = OpenHandleValues();

    /* The scan must see a single new handle, or comparing it proves nothing. */
    HANDLE probe = CreateEventA(NULL, TRUE, FALSE, NULL);
    std::vector<HANDLE> withProbe = OpenHandleValues();
    CloseHandle(probe);
    ASSERT_EQ(handlesBefore.size() + 1, withProbe.size());

    for (int run = 0; run < 20; run++)
        EXPECT_EQ(0, KernelDriverTest());
    EXPECT_EQ(handlesBefore, OpenHandleValues());
}

INSTANTIATE_TEST_SUITE_P(Families, KernelDriverOnWine, ::testing::Values("Mirel", "Vela"));

TEST(KernelDriverInterfaceClasses, EachFamilyHasItsClass)
{
    EXPECT_EQ(class0Text, GuidText(boardInterfaceClass0));
    EXPECT_EQ(class2Text, GuidText(boardInterfaceClass2));
}

/* ---------------------------------------------------------------------------
   The double. */

class KernelDriverWithDouble : public KernelDriverPage {
protected:
    void SetUp() override { NewDouble(); }
    void TearDown() override { devices.reset(); }

    /* A fresh list and device, for cases with more than one run. */
    void NewDouble()
    {
        devices.reset();
        devices.reset(new BoardDeviceDouble);
    }

    int Run()
    {
        ImportPatch patch;
        if (!devices->Install(patch)) {
            ADD_FAILURE() << "the test program does not import the functions the double replaces";
            return -1;
        }
        int returned = KernelDriverTest();
        patch.Restore();
        return returned;
    }

    /* What every run must do, whatever the list holds: the right class and
       flags, indices asked in order, the documented buffers and open mode,
       every handle closed once and the list destroyed once. */
    void ExpectCallsFollowTheRules(const char *classText)
    {
        const BoardDeviceDouble &d = *devices;
        ASSERT_EQ(1u, d.classDevsCalls.size());
        const ClassDevsCall &list = d.classDevsCalls[0];
        EXPECT_TRUE(list.classGiven);
        EXPECT_EQ(classText, GuidText(list.interfaceClass));
        EXPECT_FALSE(list.enumeratorGiven);
        EXPECT_EQ(nullptr, list.window);
        EXPECT_EQ((DWORD)(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE), list.flags);
        EXPECT_EQ(0x12u, list.flags);

        EXPECT_EQ(d.classDevsFails ? 0 : 1, d.destroyCalls) << "the device list is destroyed once";
        EXPECT_EQ(0, d.foreignDestroyCalls);
        EXPECT_EQ(0, d.callsAfterDestroy);
        EXPECT_FALSE(d.runaway) << "the enumeration did not end";

        for (size_t n = 0; n < d.enumCalls.size(); n++) {
            const EnumCall &call = d.enumCalls[n];
            SCOPED_TRACE("enumeration call " + std::to_string(n));
            EXPECT_TRUE(call.knownSet);
            EXPECT_FALSE(call.deviceInfoGiven);
            EXPECT_TRUE(call.classGiven);
            EXPECT_EQ(classText, GuidText(call.interfaceClass));
            EXPECT_EQ((DWORD)n, call.index);
            EXPECT_EQ((DWORD)sizeof(SP_DEVICE_INTERFACE_DATA), call.cbSize);
        }
        for (size_t n = 0; n < d.detailCalls.size(); n++) {
            const DetailCall &call = d.detailCalls[n];
            SCOPED_TRACE("detail call " + std::to_string(n));
            EXPECT_TRUE(call.knownSet);
            EXPECT_GE(call.slot, 0) << "the interface data is the one the enumeration filled";
            EXPECT_FALSE(call.deviceInfoGiven);
            if (!call.bufferGiven) {
                EXPECT_EQ(0u, call.bufferSize);
                EXPECT_TRUE(call.requiredGiven);
            } else {
                EXPECT_EQ((DWORD)sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), call.cbSize);
                EXPECT_GE(call.bufferSize, call.sizeNeeded) << "the buffer has the size the first call named";
            }
        }
        for (size_t n = 0; n < d.openCalls.size(); n++) {
            const OpenCall &call = d.openCalls[n];
            SCOPED_TRACE("open " + std::to_string(n));
            EXPECT_GE(call.slot, 0) << "the path is the one the detail call gave";
            EXPECT_EQ((DWORD)(GENERIC_READ | GENERIC_WRITE), call.access);
            EXPECT_EQ(0u, call.share) << "the device is opened exclusively";
            EXPECT_FALSE(call.securityGiven);
            EXPECT_EQ((DWORD)OPEN_EXISTING, call.disposition);
            EXPECT_EQ(0u, call.flags);
            EXPECT_FALSE(call.templateGiven);
        }
        for (size_t n = 0; n < d.ioctlCalls.size(); n++) {
            const IoctlCall &call = d.ioctlCalls[n];
            SCOPED_TRACE("request " + std::to_string(n));
            EXPECT_TRUE(call.handleOpen);
            EXPECT_EQ(0xFFFF2024u, call.code);
            EXPECT_FALSE(call.inputGiven);
            EXPECT_EQ(0u, call.inputSize);
            EXPECT_TRUE(call.outputGiven);
            EXPECT_EQ(4u, call.outputSize);
            EXPECT_TRUE(call.bytesReturnedGiven);
            EXPECT_FALSE(call.overlappedGiven) << "the request is synchronous";
        }
        EXPECT_LE(d.ioctlCalls.size(), 1u) << "at most one request per run";

        EXPECT_EQ(0, d.OpenDeviceCount()) << "device handles left open";
        for (const OpenedDevice &device : d.devices)
            EXPECT_EQ(1, device.closes) << "device " << device.slot;
        EXPECT_EQ(0, d.closesOfClosedDevices);
        EXPECT_EQ(0, d.invalidCloses);
        EXPECT_EQ(0, d.requestsToClosedDevices);
    }

    std::vector<int> OpenedSlots() const
    {
        std::vector<int> slots;
        for (const OpenCall &call : devices->openCalls)
            slots.push_back(call.slot);
        return slots;
    }

    /* Position of an event in the order the double saw the calls; -1 when absent. */
    int EventAt(const std::string &event) const
    {
        const std::vector<std::string> &events = devices->events;
        for (size_t n = 0; n < events.size(); n++)
            if (events[n] == event)
                return (int)n;
        return -1;
    }

    std::unique_ptr<BoardDeviceDouble> devices;
};

/* ----- one interface present ----- */

TEST_F(KernelDriverWithDouble, OtherFamiliesPassWithoutAskingForTheWord)
{
    for (const char *family : { "VELA", "ORSA", "Kiron" }) {
        SCOPED_TRACE(family);
        NewDouble();
        UseFamily(family);
        ASSERT_EQ(0u, Profile.boardClass);
        devices->AddInterface();
        devices->hardwareWord = 0x1234;
        Preset(0x5A5A0042, 1);

        int returned = Run();
        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textOpened, helpOfThePage, 0x5A5A0042, 1 });
        ExpectCallsFollowTheRules(class0Text);
        EXPECT_EQ(std::vector<int>{ 0 }, OpenedSlots());
        EXPECT_TRUE(devices->ioctlCalls.empty());
        EXPECT_EQ(2u, devices->enumCalls.size()) << "index 1 answers that there are no more";
    }
}

TEST_F(KernelDriverWithDouble, MirelInternationalWordIsStored)
{
    UseFamily("Mirel");
    ASSERT_EQ(2u, Profile.boardClass);
    devices->AddInterface();
    devices->hardwareWord = 0x1234;
    Preset(0, 0);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textInternational, helpOfThePage, 0x1234, 1 });
    ExpectCallsFollowTheRules(class2Text);
    ASSERT_EQ(1u, devices->ioctlCalls.size());
    EXPECT_EQ(0, devices->ioctlCalls[0].slot);
    EXPECT_LT(EventAt("open 0"), EventAt("request 0"));
    EXPECT_LT(EventAt("request 0"), EventAt("close 0")) << "the handle is closed after the request";
}

TEST_F(KernelDriverWithDouble, MirelNtscOnlyWordIsKeptWholeWithBit31)
{
    UseFamily("Mirel");
    for (DWORD word : { 0x80001234u, 0x80000000u, 0xFFFFFFFFu }) {
        SCOPED_TRACE(word);
        NewDouble();
        devices->AddInterface();
        devices->hardwareWord = word;
        Preset(0x1234, 1);

        int returned = Run();
        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textNtscOnly, helpOfThePage, word, 0 });
        ExpectCallsFollowTheRules(class2Text);
        EXPECT_EQ(1u, devices->ioctlCalls.size());
    }
}

TEST_F(KernelDriverWithDouble, MirelFailedRequestStillPassesAndKeepsTheEarlierWord)
{
    UseFamily("Mirel");
    for (DWORD international : { 0u, 1u }) {
        SCOPED_TRACE(international);
        NewDouble();
        devices->AddInterface();
        devices->hardwareWord = 0x1234;
        devices->requestFails = true;   /* and scribbles into the buffer */
        Preset(0x4321, international);

        int returned = Run();
        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textOpened, helpOfThePage, 0x4321, international });
        ExpectCallsFollowTheRules(class2Text);
        EXPECT_EQ(1u, devices->ioctlCalls.size());
    }
}

/* ----- several interfaces ----- */

TEST_F(KernelDriverWithDouble, EveryInterfaceIsOpenedInOrderAndTheLastOneIsAsked)
{
    UseFamily("Mirel");
    devices->AddInterfaces(3);
    devices->hardwareWord = 0x00C0FFEE;
    Preset(0, 0);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textInternational, helpOfThePage, 0x00C0FFEE, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ((std::vector<int>{ 0, 1, 2 }), OpenedSlots());
    ASSERT_EQ(1u, devices->ioctlCalls.size());
    EXPECT_EQ(2, devices->ioctlCalls[0].slot) << "the request goes to the last interface";
    EXPECT_LT(EventAt("close 0"), EventAt("request 2")) << "earlier handles are not kept";
    EXPECT_LT(EventAt("close 1"), EventAt("request 2"));
    EXPECT_LT(EventAt("request 2"), EventAt("close 2"));
    EXPECT_EQ(4u, devices->enumCalls.size());
}

TEST_F(KernelDriverWithDouble, SecondOfTwoNotOpeningFailsAlthoughTheFirstOpened)
{
    for (const char *family : { "Mirel", "Vela" }) {
        SCOPED_TRACE(family);
        NewDouble();
        UseFamily(family);
        devices->AddInterface();
        devices->AddInterface(true);
        devices->hardwareWord = 0x1234;
        Preset(0x1234, 1);

        int returned = Run();
        ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
        ExpectCallsFollowTheRules(Profile.boardClass == 2 ? class2Text : class0Text);
        EXPECT_EQ((std::vector<int>{ 0, 1 }), OpenedSlots());
        ASSERT_EQ(1u, devices->devices.size()) << "only the first could be opened";
        EXPECT_EQ(1, devices->devices[0].closes) << "and its handle is closed";
        EXPECT_TRUE(devices->ioctlCalls.empty());
        EXPECT_EQ(2u, devices->enumCalls.size()) << "the search ends at the failed open";
    }
}

TEST_F(KernelDriverWithDouble, FirstNotOpeningEndsTheSearchAtOnce)
{
    UseFamily("Mirel");
    devices->AddInterface(true);
    devices->AddInterfaces(2);
    Preset(0x1234, 0);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 0 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ(std::vector<int>{ 0 }, OpenedSlots());
    EXPECT_TRUE(devices->devices.empty());
    EXPECT_EQ(1u, devices->enumCalls.size());
}

TEST_F(KernelDriverWithDouble, InterfaceWhosePathCannotBeReadFailsTheSearch)
{
    UseFamily("Mirel");

    /* The second detail call fails after the first interface was opened. */
    devices->AddInterfaces(2);
    devices->Slot(1).detailFails = true;
    Preset(0x1234, 1);
    int returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ(std::vector<int>{ 0 }, OpenedSlots()) << "no open without a path";
    EXPECT_EQ(2u, devices->enumCalls.size());
    EXPECT_TRUE(devices->ioctlCalls.empty());

    /* The size query names no size: nothing is allocated or opened. */
    NewDouble();
    devices->AddInterface();
    devices->Slot(0).sizeUnknown = true;
    Preset(0x1234, 1);
    returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_TRUE(devices->openCalls.empty());
    EXPECT_EQ(1u, devices->detailCalls.size()) << "no detail call with a buffer of unknown size";
}

/* ----- enumeration errors ----- */

TEST_F(KernelDriverWithDouble, EnumerationErrorsBetweenInterfacesAreSkipped)
{
    UseFamily("Mirel");
    devices->AddEnumErrors(1);
    devices->AddInterface();
    devices->AddEnumErrors(1);
    devices->AddEnumErrors(1, ERROR_NO_SUCH_DEVINST);
    devices->AddInterface();
    devices->hardwareWord = 0x0BAD0001;
    Preset(0, 0);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textInternational, helpOfThePage, 0x0BAD0001, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ((std::vector<int>{ 1, 4 }), OpenedSlots());
    ASSERT_EQ(1u, devices->ioctlCalls.size());
    EXPECT_EQ(4, devices->ioctlCalls[0].slot);
    EXPECT_EQ(6u, devices->enumCalls.size()) << "indices 0 to 5, the last one answering no more";
}

TEST_F(KernelDriverWithDouble, RunOfSkippedErrorsUpToTheBoundIsTolerated)
{
    UseFamily("Mirel");
    devices->AddEnumErrors(MAX_SKIPPED_INTERFACES);
    devices->AddInterface();
    devices->hardwareWord = 0x42;
    Preset(0, 0);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textInternational, helpOfThePage, 0x42, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ(std::vector<int>{ MAX_SKIPPED_INTERFACES }, OpenedSlots());
    EXPECT_EQ((size_t)MAX_SKIPPED_INTERFACES + 2, devices->enumCalls.size());
}

TEST_F(KernelDriverWithDouble, LongerRunOfErrorsEndsTheSearch)
{
    UseFamily("Mirel");
    devices->AddEnumErrors(MAX_SKIPPED_INTERFACES + 1);
    devices->AddInterface();   /* behind the run: never reached */
    Preset(0x1234, 1);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ((size_t)MAX_SKIPPED_INTERFACES + 1, devices->enumCalls.size());
    EXPECT_TRUE(devices->openCalls.empty());
}

TEST_F(KernelDriverWithDouble, ListThatNeverEndsStopsAfterTheBound)
{
    /* Nothing found before the errors: the page fails. */
    UseFamily("Vela");
    devices->errorAfterSlots = ERROR_INVALID_DATA;
    Preset(0x1234, 1);
    int returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
    ExpectCallsFollowTheRules(class0Text);
    EXPECT_EQ((size_t)MAX_SKIPPED_INTERFACES + 1, devices->enumCalls.size());

    /* An interface before the errors is kept, used and closed. */
    NewDouble();
    UseFamily("Mirel");
    devices->AddInterface();
    devices->errorAfterSlots = ERROR_INVALID_DATA;
    devices->hardwareWord = 0x77;
    Preset(0, 0);
    returned = Run();
    ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textInternational, helpOfThePage, 0x77, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ((size_t)MAX_SKIPPED_INTERFACES + 2, devices->enumCalls.size());
    ASSERT_EQ(1u, devices->ioctlCalls.size());
    EXPECT_EQ(0, devices->ioctlCalls[0].slot);
}

TEST_F(KernelDriverWithDouble, SkipCountStartsAgainAfterEachInterface)
{
    UseFamily("Mirel");
    devices->AddEnumErrors(MAX_SKIPPED_INTERFACES);
    devices->AddInterface();
    devices->AddEnumErrors(MAX_SKIPPED_INTERFACES);
    devices->AddInterface();
    devices->hardwareWord = 0x80000042;
    Preset(0, 1);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textNtscOnly, helpOfThePage, 0x80000042, 0 });
    ExpectCallsFollowTheRules(class2Text);
    const int second = 2 * MAX_SKIPPED_INTERFACES + 1;
    EXPECT_EQ((std::vector<int>{ MAX_SKIPPED_INTERFACES, second }), OpenedSlots());
    ASSERT_EQ(1u, devices->ioctlCalls.size());
    EXPECT_EQ(second, devices->ioctlCalls[0].slot);
}

/* ----- no device ----- */

TEST_F(KernelDriverWithDouble, EmptyListFails)
{
    UseFamily("Mirel");
    Preset(0x1234, 1);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
    ExpectCallsFollowTheRules(class2Text);
    EXPECT_EQ(1u, devices->enumCalls.size());
    EXPECT_TRUE(devices->openCalls.empty());
}

TEST_F(KernelDriverWithDouble, ListThatCannotBeMadeFailsWithoutEnumerating)
{
    UseFamily("Kiron");
    devices->classDevsFails = true;
    devices->AddInterface();
    Preset(0x1234, 0);

    int returned = Run();
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 0 });
    ExpectCallsFollowTheRules(class0Text);
    EXPECT_TRUE(devices->enumCalls.empty());
    EXPECT_EQ(0, devices->destroyCalls) << "there is no list to destroy";
}

TEST_F(KernelDriverWithDouble, DeviceMissingAfterARunThatReadTheWord)
{
    UseFamily("Mirel");
    for (DWORD word : { 0x1234u, 0x80000001u }) {
        DWORD international = (word & 0x80000000u) ? 0 : 1;
        SCOPED_TRACE(word);

        NewDouble();
        devices->AddInterface();
        devices->hardwareWord = word;
        Preset(0, 1 - international);
        int returned = Run();
        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, international ? textInternational : textNtscOnly,
                                         helpOfThePage, word, international });

        NewDouble();   /* the board is gone */
        memcpy(&before, &DiagnosticResults, sizeof(before));
        returned = Run();
        ExpectOutcome(returned,
                      Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, international });
        ExpectCallsFollowTheRules(class2Text);

        NewDouble();   /* and back */
        devices->AddInterface();
        devices->hardwareWord = word;
        memcpy(&before, &DiagnosticResults, sizeof(before));
        returned = Run();
        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, international ? textInternational : textNtscOnly,
                                         helpOfThePage, word, international });
    }
}

TEST_F(KernelDriverWithDouble, MissingBoardOnTheRealSystemAfterAWordWasRead)
{
    UseFamily("Mirel");
    devices->AddInterface();
    devices->hardwareWord = 0x1234;
    Preset(0, 0);
    ExpectOutcome(Run(), Outcome{ 1, RESULT_OK, textInternational, helpOfThePage, 0x1234, 1 });

    memcpy(&before, &DiagnosticResults, sizeof(before));
    int returned = KernelDriverTest();   /* no double: Wine has no board */
    ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened, helpNotOpened, 0, 1 });
}

/* ----- clean-up on every path ----- */

TEST_F(KernelDriverWithDouble, EveryPathClosesEveryHandleAndDestroysTheListOnce)
{
    for (const char *family : { "Mirel", "Vela" }) {
        UseFamily(family);
        bool asksWord = Profile.boardClass == 2;
        for (int count = 1; count <= 3; count++)
            for (int failing = -1; failing < count; failing++)
                for (bool requestFails : { false, true }) {
                    SCOPED_TRACE(std::string(family) + ", " + std::to_string(count) + " interfaces, failing " +
                                 std::to_string(failing) + (requestFails ? ", request fails" : ""));
                    NewDouble();
                    devices->AddInterfaces(count);
                    if (failing >= 0)
                        devices->Slot(failing).openFails = true;
                    DWORD word = 0x00010000u * (DWORD)count + (count == 2 ? 0x80000000u : 0);
                    devices->hardwareWord = word;
                    devices->requestFails = requestFails;
                    Preset(0xAAAA5555, 1);

                    int returned = Run();
                    ExpectCallsFollowTheRules(asksWord ? class2Text : class0Text);
                    int lastOpened = failing >= 0 ? failing : count - 1;
                    EXPECT_EQ((size_t)lastOpened + 1, devices->openCalls.size());
                    EXPECT_EQ((size_t)(failing >= 0 ? failing : count), devices->devices.size());
                    if (failing >= 0) {
                        ExpectOutcome(returned, Outcome{ 0, RESULT_KERNEL_DRIVER_FAILED, textNotOpened,
                                                         helpNotOpened, 0, 1 });
                        EXPECT_TRUE(devices->ioctlCalls.empty());
                    } else if (!asksWord) {
                        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textOpened, helpOfThePage, 0xAAAA5555, 1 });
                        EXPECT_TRUE(devices->ioctlCalls.empty());
                    } else if (requestFails) {
                        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, textOpened, helpOfThePage, 0xAAAA5555, 1 });
                        EXPECT_EQ(1u, devices->ioctlCalls.size());
                    } else {
                        bool ntscOnly = (word & 0x80000000u) != 0;
                        ExpectOutcome(returned, Outcome{ 1, RESULT_OK, ntscOnly ? textNtscOnly : textInternational,
                                                         helpOfThePage, word, ntscOnly ? 0u : 1u });
                        ASSERT_EQ(1u, devices->ioctlCalls.size());
                        EXPECT_EQ(count - 1, devices->ioctlCalls[0].slot);
                    }
                }
    }
}

/* The double itself: calls that are not about its devices reach the system. */
TEST_F(KernelDriverWithDouble, DoubleForwardsForeignHandlesAndRestoresTheImports)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    void *original = *FindImportSlots(GetModuleHandleA(NULL), "kernel32.dll", "CloseHandle").at(0);
    {
        ImportPatch patch;
        ASSERT_TRUE(devices->Install(patch));
        EXPECT_NE(original, *FindImportSlots(GetModuleHandleA(NULL), "kernel32.dll", "CloseHandle").at(0));
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        EXPECT_EQ((DWORD)FILE_TYPE_DISK, GetFileType(file));
        EXPECT_TRUE(CloseHandle(file));
        EXPECT_FALSE(CloseHandle(file)) << "the real CloseHandle refuses a closed handle";
    }
    EXPECT_EQ(original, *FindImportSlots(GetModuleHandleA(NULL), "kernel32.dll", "CloseHandle").at(0));
    EXPECT_TRUE(devices->openCalls.empty());
    EXPECT_TRUE(devices->devices.empty());
}
