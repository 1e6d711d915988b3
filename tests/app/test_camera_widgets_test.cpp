// The test camera driver's answers to libgphoto2's own calls where ptp2's answers are
// easy to get wrong: whole-tree writes against single ones, entries labelled alike, GP_OK
// with no widget, writes answered in ptp2's way, property events, pictures handed over in
// the event wait, faults, and calls from two threads at once. libgphoto2 runs in this
// process, with a home of its own (and, under a sanitizer, the driver built with it).
#include <gphoto2/gphoto2.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
#define TALBEX_LEAK_CHECKER 1
#endif

namespace talbex {
namespace {

// libgphoto2's port drivers keep a few bytes in their own statics, lost when it unloads
// them after a listing: not this driver's leak (the program keeps them out the same way).
class ForeignAllocations {
  public:
    ForeignAllocations() {
#ifdef TALBEX_LEAK_CHECKER
        __lsan_disable();
#endif
    }
    ~ForeignAllocations() {
#ifdef TALBEX_LEAK_CHECKER
        __lsan_enable();
#endif
    }
    ForeignAllocations(const ForeignAllocations&) = delete;
    ForeignAllocations& operator=(const ForeignAllocations&) = delete;
};

class TestCameraWidgets : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("HOME", dir_.path().c_str(), 1);
        setenv("CAMLIBS", TALBEX_TEST_CAMLIBS_IN_PROCESS, 1);
        setenv("TALBEX_TEST_CAMERA_LOG", log_.c_str(), 1);
    }
    void TearDown() override {
        Close();
        for (const char* name : {"CAMLIBS", "TALBEX_TEST_CAMERA_LOG", "TALBEX_TEST_CAMERA_FAMILY",
                                 "TALBEX_TEST_CAMERA_FAULTS", "TALBEX_TEST_CAMERA_SERIAL",
                                 "TALBEX_TEST_CAMERA_CARD", "TALBEX_TEST_CAMERA_NO_LENS"})
            unsetenv(name);
    }

    /// Opens the test camera as a body of `family`; a new `serial` makes it another body.
    int Open(const std::string& family, const std::string& faults = "",
             const std::string& serial = "1") {
        Close();
        setenv("TALBEX_TEST_CAMERA_FAMILY", family.c_str(), 1);
        setenv("TALBEX_TEST_CAMERA_FAULTS", faults.c_str(), 1);
        setenv("TALBEX_TEST_CAMERA_SERIAL", serial.c_str(), 1);
        context_ = gp_context_new();
        return OpenHandle(&camera_, context_);
    }
    /// Another handle on the same camera: libgphoto2 lets two of them call at once.
    static int OpenHandle(Camera** camera, GPContext* context) {
        gp_camera_new(camera);
        const ForeignAllocations foreign;
        CameraAbilitiesList* abilities = nullptr;
        gp_abilities_list_new(&abilities);
        gp_abilities_list_load(abilities, context);
        CameraAbilities a{};
        gp_abilities_list_get_abilities(
            abilities, gp_abilities_list_lookup_model(abilities, "Talbex Test Camera"), &a);
        gp_abilities_list_free(abilities);
        gp_camera_set_abilities(*camera, a);
        GPPortInfoList* ports = nullptr;
        gp_port_info_list_new(&ports);
        gp_port_info_list_load(ports);
        GPPortInfo port;
        gp_port_info_list_get_info(ports, gp_port_info_list_lookup_path(ports, "ptpip:127.0.0.1"),
                                   &port);
        gp_camera_set_port_info(*camera, port);
        gp_port_info_list_free(ports);
        return gp_camera_init(*camera, context);
    }
    void Close() {
        if (camera_ != nullptr) {
            gp_camera_exit(camera_, context_);
            gp_camera_free(camera_);
            gp_context_unref(context_);
        }
        camera_ = nullptr;
    }

    /// A single-entry read as text ("<none>" for GP_OK without a widget).
    std::string Get(const char* name, int* result = nullptr) {
        CameraWidget* w = nullptr;
        const int r = gp_camera_get_single_config(camera_, name, &w, context_);
        if (result != nullptr)
            *result = r;
        if (r != GP_OK)
            return "<error>";
        if (w == nullptr)
            return "<none>";
        const char* v = nullptr;
        gp_widget_get_value(w, &v);
        std::string text = v != nullptr ? v : "";
        gp_widget_free(w);
        return text;
    }
    int Set(const char* name, const std::string& value) {
        CameraWidget* w = nullptr;
        int r = gp_camera_get_single_config(camera_, name, &w, context_);
        if (r != GP_OK || w == nullptr)
            return r;
        CameraWidgetType type;
        gp_widget_get_type(w, &type);
        if (type == GP_WIDGET_TOGGLE) {
            const int v = std::stoi(value);
            gp_widget_set_value(w, &v);
        } else {
            gp_widget_set_value(w, value.c_str());
        }
        r = gp_camera_set_single_config(camera_, name, w, context_);
        gp_widget_free(w);
        return r;
    }
    /// The next event: "file FOLDER/NAME", "complete", "timeout" or its text.
    std::string Event(int timeoutMs = 100) {
        CameraEventType type = GP_EVENT_TIMEOUT;
        void* data = nullptr;
        if (gp_camera_wait_for_event(camera_, timeoutMs, &type, &data, context_) != GP_OK)
            return "<error>";
        std::string text;
        if (type == GP_EVENT_FILE_ADDED) {
            auto* path = static_cast<CameraFilePath*>(data);
            text = std::string("file ") + path->folder + "/" + path->name;
        } else if (type == GP_EVENT_CAPTURE_COMPLETE) {
            text = "complete";
        } else if (type == GP_EVENT_TIMEOUT) {
            text = "timeout";
        } else {
            text = data != nullptr ? static_cast<const char*>(data) : "";
        }
        free(data);
        return text;
    }
    std::string Log() const {
        std::ostringstream text;
        text << std::ifstream(log_).rdbuf();
        return text.str();
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    testing::TempFolder dir_{"talbex-widgets"};
    const std::string log_ = dir_ / "camera.log";
    Camera* camera_ = nullptr;
    GPContext* context_ = nullptr;
};

// A single-entry write always runs ptp2's put; a whole-tree write only for what changed,
// and a toggle ptp2 shows as 2 counts as changed whatever is written (config.c around 2890
// and 11580). Nikon's and Fujifilm's autofocus drive focuses whatever the value.
TEST_F(TestCameraWidgets, WholeTreeWritesOnlyWhatChangedWhileSingleOnesAlwaysPut) {
    const struct {
        const char* family;
        bool tree;
        int value;
        bool focuses;
    } cases[] = {{"nikon", true, 0, false}, {"nikon", true, 1, true}, {"nikon", false, 0, true},
                 {"fuji", true, 0, true},   {"eos", false, 0, false}, {"eos", false, 1, true}};
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + (c.tree ? " tree " : " single ") +
                     std::to_string(c.value));
        std::remove(log_.c_str());
        ASSERT_EQ(Open(c.family, "", std::to_string(++row)), GP_OK);
        if (c.tree) {
            CameraWidget* root = nullptr;
            ASSERT_EQ(gp_camera_get_config(camera_, &root, context_), GP_OK);
            CameraWidget* w = nullptr;
            ASSERT_EQ(gp_widget_get_child_by_name(root, "autofocusdrive", &w), GP_OK);
            gp_widget_set_value(w, &c.value);
            EXPECT_EQ(gp_camera_set_config(camera_, root, context_), GP_OK);
            gp_widget_free(root);
        } else {
            EXPECT_EQ(Set("autofocusdrive", std::to_string(c.value)), GP_OK);
        }
        EXPECT_EQ(Has(Log(), "autofocus\n"), c.focuses) << Log();
    }
}

// eos's datetimeutc and datetime share a label, and ptp2 finds a whole tree's widgets by
// label: a change of datetime alone is never written.
TEST_F(TestCameraWidgets, OfTwoEntriesLabelledAlikeTheFirstsWidgetAnswersForBoth) {
    for (const char* changed : {"datetime", "datetimeutc"}) {
        SCOPED_TRACE(changed);
        std::remove(log_.c_str());
        ASSERT_EQ(Open("eos", "", changed), GP_OK);
        CameraWidget* root = nullptr;
        ASSERT_EQ(gp_camera_get_config(camera_, &root, context_), GP_OK);
        CameraWidget* w = nullptr;
        ASSERT_EQ(gp_widget_get_child_by_name(root, changed, &w), GP_OK);
        const int when = 1700000000;
        gp_widget_set_value(w, &when);
        EXPECT_EQ(gp_camera_set_config(camera_, root, context_), GP_OK);
        gp_widget_free(root);
        EXPECT_EQ(Has(Log(), std::string("set ") + changed + "="),
                  std::string(changed) == "datetimeutc")
            << Log();
    }
}

// GP_OK without a widget: a virtual entry whose getter failed, or any name on a body that
// lists no properties; a listed property whose getter fails is "not found".
TEST_F(TestCameraWidgets, ReadsAnswerAsPtp2Answers) {
    const struct {
        const char *family, *faults, *name;
        int result;
        const char* value;
    } cases[] = {
        {"panasonic", "", "artist", GP_OK, "<none>"},
        {"panasonic", "", "afmode", GP_OK, "AF_S"},
        {"panasonic", "error@get=iso", "iso", GP_OK, "<none>"},
        {"nikon", "", "nosuchentry", GP_ERROR_BAD_PARAMETERS, "<error>"},
        {"nikon", "error@get=iso", "iso", GP_ERROR_BAD_PARAMETERS, "<error>"},
        {"nikon", "", "lensname", GP_OK, "Unknown value 00a3"},
        {"nikon", "", "shutterspeed", GP_OK, "0.0080s"},
        {"sony", "", "iso", GP_OK, "Auto ISO"},
        {"sony", "", "serialnumber", GP_OK, "00000000000000000000000000000001"},
        {"eos", "", "eosserialnumber", GP_OK, "1"},
        {"eos", "", "eoszoomposition", GP_OK, "0,0"},
        {"generic", "", "d402", GP_OK, "Talbex G1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + c.name);
        ASSERT_EQ(Open(c.family, c.faults), GP_OK);
        int result = 0;
        EXPECT_EQ(Get(c.name, &result), c.value);
        EXPECT_EQ(result, c.result);
    }
}

// Writes as ptp2 answers them: a refused hex write reports success, a listed property that
// is not set ends "not found", eos answers at once, unknown Panasonic modes become "P",
// and Nikon's two shutter speeds are one setting with codes that collapse.
TEST_F(TestCameraWidgets, WritesAnswerAsPtp2Answers) {
    const std::string longText(40, 'x');
    const struct {
        const char *family, *faults, *name;
        std::string value;
        int result;
        const char *readName, *readValue;
    } cases[] = {
        {"generic", "", "501e", longText, GP_OK, "501e", ""},
        {"generic", "", "501e", "Ann", GP_OK, "501e", "Ann"},
        {"nikon", "busy@set=iso", "iso", "200", GP_ERROR_BAD_PARAMETERS, "iso", "400"},
        {"eos", "busy@set=iso", "iso", "200", GP_ERROR_CAMERA_BUSY, "iso", "400"},
        {"eos", "", "iso", "200", GP_OK, "iso", "200"},
        {"nikon", "", "expprogram", "P", GP_ERROR_BAD_PARAMETERS, "expprogram", "M"},
        {"eos", "", "lensname", "x", GP_ERROR_NOT_SUPPORTED, "lensname", "TEST 24-70mm"},
        {"sony", "", "capturetarget", "Internal RAM", GP_ERROR_BAD_PARAMETERS, "capturetarget",
         "card+sdram"},
        {"sony", "", "capturetarget", "sdram", GP_OK, "capturetarget", "sdram"},
        {"panasonic", "", "expmode", "Program", GP_OK, "expmode", "P"},
        {"nikon", "", "shutterspeed2", "1/4000", GP_OK, "shutterspeed", "0.0003s"},
        {"nikon", "", "shutterspeed", "0.0003s", GP_OK, "shutterspeed2", "1/3200"},
        {"nikon", "", "manualfocusdrive", "0", GP_ERROR, "manualfocusdrive", ""},
        {"eos", "", "eoszoom", "5", GP_ERROR, "eoszoom", "0"},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + c.name + "=" + c.value);
        ASSERT_EQ(Open(c.family, c.faults, std::to_string(++row)), GP_OK);
        if (std::string(c.name) == "manualfocusdrive") {  // a range: outside live view
            CameraWidget* w = nullptr;
            ASSERT_EQ(gp_camera_get_single_config(camera_, c.name, &w, context_), GP_OK);
            const float steps = -20;
            gp_widget_set_value(w, &steps);
            EXPECT_EQ(gp_camera_set_single_config(camera_, c.name, w, context_), c.result);
            gp_widget_free(w);
            continue;
        }
        EXPECT_EQ(Set(c.name, c.value), c.result);
        EXPECT_EQ(Get(c.readName), c.readValue);
    }
}

// What the event wait reports: property changes with ptp2's texts (eos's focus
// information its own), a lens taken off and put back, pictures handed over (Fujifilm's
// from before the session too), nothing where the family tells none.
TEST_F(TestCameraWidgets, TheEventWaitTellsWhatPtp2Tells) {
    ASSERT_EQ(Open("nikon"), GP_OK);
    ASSERT_EQ(Set("iso", "200"), GP_OK);
    EXPECT_EQ(Event(), "PTP Property 500f changed, \"iso\" to \"200\"");
    EXPECT_EQ(Event(), "timeout");
    ASSERT_EQ(gp_camera_trigger_capture(camera_, context_), GP_OK);
    EXPECT_EQ(Event(), "file //capt0000.jpg");
    EXPECT_EQ(Event(), "complete");
    CameraFile* file = nullptr;
    gp_file_new(&file);
    EXPECT_EQ(gp_camera_file_get(camera_, "/", "capt0000.jpg", GP_FILE_TYPE_NORMAL, file, context_),
              GP_OK);
    unsigned long size = 0;
    const char* bytes = nullptr;
    gp_file_get_data_and_size(file, &bytes, &size);
    EXPECT_GT(size, 1000u);
    gp_file_unref(file);
    EXPECT_EQ(gp_camera_file_delete(camera_, "/", "capt0000.jpg", context_), GP_OK);
    EXPECT_FALSE(Has(Log(), "delete")) << Log();

    ASSERT_EQ(Open("panasonic"), GP_OK);
    ASSERT_EQ(Set("iso", "200"), GP_OK);
    EXPECT_EQ(Event(), "timeout");

    ASSERT_EQ(Open("eos"), GP_OK);
    ASSERT_EQ(Set("autofocusdrive", "1"), GP_OK);
    EXPECT_EQ(Event().rfind("FocusInfo eosversion=2,size=5472x3648,", 0), 0u);
    const std::string lensOff = dir_ / "no-lens";
    setenv("TALBEX_TEST_CAMERA_NO_LENS", lensOff.c_str(), 1);
    std::ofstream(lensOff) << "off";
    EXPECT_EQ(Event(), "PTP Property d101 changed");
    int result = 0;
    EXPECT_EQ(Get("aperture", &result), "<error>");
    EXPECT_EQ(result, GP_ERROR_BAD_PARAMETERS);
    std::remove(lensOff.c_str());
    EXPECT_EQ(Event(), "PTP Property d101 changed, \"aperture\" to \"5.6\"");
    EXPECT_EQ(Get("aperture"), "5.6");

    setenv("TALBEX_TEST_CAMERA_CARD", "2", 1);
    ASSERT_EQ(Open("fuji"), GP_OK);
    // The last picture from before the session is told; telling it lists the folder,
    // after which the first one counts as seen, as in ptp2.
    EXPECT_EQ(Event(), "file /store_00010001/DCIM/100TEST/DSCF0002.JPG");
    EXPECT_EQ(Event(), "timeout");
}

// Faults: an I/O hiccup fails one call; a camera gone fails every call, opening too; a
// busy preview gives up as the family's preview does.
TEST_F(TestCameraWidgets, FaultsAnswerAsTheBodyAndPtp2Would) {
    ASSERT_EQ(Open("sony", "io@config:1"), GP_OK);
    int result = 0;
    Get("iso", &result);
    EXPECT_EQ(result, GP_ERROR_IO);
    EXPECT_EQ(Get("iso"), "Auto ISO");

    ASSERT_EQ(Open("generic", "gone@trigger"), GP_OK);
    EXPECT_EQ(gp_camera_trigger_capture(camera_, context_), GP_ERROR_IO);
    Get("iso", &result);
    EXPECT_EQ(result, GP_ERROR_IO);
    EXPECT_LT(Open("generic", "gone@trigger"), GP_OK);  // the same body, still gone

    ASSERT_EQ(Open("eos", "io@event:1"), GP_OK);
    EXPECT_EQ(Event(), "<error>");
    EXPECT_EQ(Event(), "timeout");
    EXPECT_EQ(Open("nikon", "jam@preview"), GP_ERROR_BAD_PARAMETERS);  // a fault not understood
    ASSERT_EQ(Open("eos", "unsupported@preview"), GP_OK);
    for (int i = 0; i < 2; ++i) {
        CameraFile* file = nullptr;
        gp_file_new(&file);
        EXPECT_EQ(gp_camera_capture_preview(camera_, file, context_), GP_ERROR_NOT_SUPPORTED);
        gp_file_unref(file);
    }

    const struct {
        const char* family;
        int result;
        bool frame;
        int atLeastMs;
    } previews[] = {{"sony", GP_ERROR_CAMERA_BUSY, false, 0},
                    {"nikon", GP_OK, false, 150},  // success with no picture
                    {"fuji", GP_OK, false, 0},
                    {"panasonic", GP_ERROR_CAMERA_BUSY, false, 900},
                    {"olympus", GP_OK, false, 900},  // the body's busy code, a positive number
                    {"eos", GP_ERROR_CAMERA_BUSY, false, 2900}};
    for (const auto& p : previews) {
        SCOPED_TRACE(p.family);
        ASSERT_EQ(Open(p.family, "busy@preview:1", "preview"), GP_OK);
        CameraFile* file = nullptr;
        gp_file_new(&file);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(gp_camera_capture_preview(camera_, file, context_), p.result);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        EXPECT_GE(ms, p.atLeastMs);
        unsigned long size = 0;
        const char* bytes = nullptr;
        gp_file_get_data_and_size(file, &bytes, &size);
        EXPECT_EQ(size > 0, p.frame);
        // The next one works.
        EXPECT_EQ(gp_camera_capture_preview(camera_, file, context_), GP_OK);
        gp_file_get_data_and_size(file, &bytes, &size);
        EXPECT_GT(size, 100u);
        gp_file_unref(file);
    }
}

// A triggered picture as each family's event wait hands it over: read from the camera's
// memory as "capt0000.jpg" in "/", or announced by its own name where it lies, with the
// capture target and its lasting setting deciding which.
TEST_F(TestCameraWidgets, TriggeredPicturesArriveAsEachFamilysEventWaitHandsThemOver) {
    const std::string card = "file /store_00010001/DCIM/100TEST/";
    // libgphoto2 keeps its lasting settings for the process: each case writes its target.
    const struct {
        const char *family, *target;  // written to capturetarget first, unless empty
        std::vector<std::string> events;
    } cases[] = {
        {"eos",
         "",
         {"PTP Property d1ac changed, \"shuttercounter\" to \"4322\"", "Camera Status 1",
          "file //capt0000.jpg", "complete", "timeout"}},
        {"eos",
         "Memory card",
         {"PTP Property d1ac changed, \"shuttercounter\" to \"4322\"", "Camera Status 1",
          card + "IMG_0001.JPG", "complete", "timeout"}},
        {"nikon", "Internal RAM", {"file //capt0000.jpg", "complete", "timeout"}},
        {"nikon", "Memory card", {card + "DSC_0001.JPG", "complete", "timeout"}},
        {"sony", "", {"file //capt0000.jpg", "complete", "timeout"}},
        {"sony", "card", {"timeout"}},  // nothing in its memory: nothing arrives
        {"fuji", "", {card + "DSCF0001.JPG", "timeout"}},
        {"panasonic", "", {card + "P1010001.JPG", "timeout"}},
        {"panasonic", "Internal RAM", {"file /store_00000000/P1010001.JPG", "timeout"}},
        {"olympus", "", {card + "P1010001.JPG", "timeout"}},
        {"generic", "", {card + "TBX_0001.JPG", "complete", "timeout"}},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + c.target);
        ASSERT_EQ(Open(c.family, "", std::to_string(++row)), GP_OK);
        if (*c.target != '\0') {
            ASSERT_EQ(Set("capturetarget", c.target), GP_OK);
        }
        while (Event(1) != "timeout") {
        }
        ASSERT_EQ(gp_camera_trigger_capture(camera_, context_), GP_OK);
        for (const std::string& expected : c.events)
            EXPECT_EQ(Event(), expected);
    }
}

// The clocks read back what was written (the eos family's local one through ptp2's
// conversion); the synchronising toggles set the body's clock to now; Sony has none.
TEST_F(TestCameraWidgets, ClocksReadBackWhatWasWritten) {
    const int when = 1700000000;
    const auto now = static_cast<int>(std::time(nullptr));
    const struct {
        const char *family, *write, *read;
        int value, expected;
    } cases[] = {
        {"nikon", "datetime", "datetime", when, when},
        {"generic", "datetime", "datetime", when, when},
        {"fuji", "datetime", "datetime", when, when},
        {"eos", "datetimeutc", "datetimeutc", when, when},
        {"eos", "datetime", "datetime", when, when},
        {"eos", "syncdatetimeutc", "datetimeutc", 1, now},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " " + c.write);
        ASSERT_EQ(Open(c.family, "", c.write), GP_OK);
        CameraWidget* w = nullptr;
        ASSERT_EQ(gp_camera_get_single_config(camera_, c.write, &w, context_), GP_OK);
        gp_widget_set_value(w, &c.value);
        EXPECT_EQ(gp_camera_set_single_config(camera_, c.write, w, context_), GP_OK);
        gp_widget_free(w);
        ASSERT_EQ(gp_camera_get_single_config(camera_, c.read, &w, context_), GP_OK);
        int read = 0;
        gp_widget_get_value(w, &read);
        gp_widget_free(w);
        EXPECT_NEAR(read, c.expected, 2);  // the clock runs
    }
    ASSERT_EQ(Open("sony"), GP_OK);
    int result = 0;
    Get("datetime", &result);
    EXPECT_EQ(result, GP_ERROR_BAD_PARAMETERS);
}

// The program's window thread and event thread call the camera in turns through one
// handle; two handles call it truly at once. The driver keeps its one state under one
// lock and tells libgphoto2's file system of pictures outside it (that calls back).
TEST_F(TestCameraWidgets, TwoHandlesCallingAtOnceGetEveryPictureAndEveryAnswer) {
    ASSERT_EQ(Open("nikon"), GP_OK);
    Camera* other = nullptr;
    GPContext* otherContext = gp_context_new();
    ASSERT_EQ(OpenHandle(&other, otherContext), GP_OK);
    constexpr int kPictures = 20;
    int received = 0;
    std::thread shooter([&] {
        for (int i = 0; i < kPictures; ++i) {
            if (gp_camera_trigger_capture(other, otherContext) != GP_OK)
                continue;
            // The other thread's writes are told in the same wait: read on to the picture.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < until) {
                CameraEventType type = GP_EVENT_TIMEOUT;
                void* data = nullptr;
                gp_camera_wait_for_event(other, 10, &type, &data, otherContext);
                if (type == GP_EVENT_FILE_ADDED) {
                    auto* path = static_cast<CameraFilePath*>(data);
                    CameraFile* file = nullptr;
                    gp_file_new(&file);
                    if (gp_camera_file_get(other, path->folder, path->name, GP_FILE_TYPE_NORMAL,
                                           file, otherContext) == GP_OK)
                        ++received;
                    gp_file_unref(file);
                    free(data);
                    break;
                }
                free(data);
            }
        }
    });
    int answered = 0;
    for (int i = 0; i < 100; ++i) {
        answered += Set("iso", i % 2 == 0 ? "200" : "400") == GP_OK;
        answered += Get("shutterspeed2") == "1/125";
        CameraFile* file = nullptr;
        gp_file_new(&file);
        answered += gp_camera_capture_preview(camera_, file, context_) == GP_OK;
        gp_file_unref(file);
    }
    shooter.join();
    gp_camera_exit(other, otherContext);
    gp_camera_free(other);
    gp_context_unref(otherContext);
    EXPECT_EQ(received, kPictures);
    EXPECT_EQ(answered, 300);
}

}  // namespace
}  // namespace talbex
