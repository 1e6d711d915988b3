// The test shot's ends: its picture taken whatever the camera calls it, purged after the
// connection has closed (a late one too); the user's settings waited back from a camera
// that answers busy, said when they cannot be, and put back at the camera's next
// identification from what the program folder kept; a camera that does not open told
// once, never identified from reads that cannot succeed.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <fstream>

#include "platform/os/quit_request.h"
#include "platform/ui/window_thread.h"
#include "shell/main_window_fixture.h"
#include "shell/main_window_texts.h"
#include "shell/test_shot.h"

namespace talbex::shell::testing {
namespace {

using ui::testing::WindowThread;
using Main = CTALBEXMAIN;

sim::CameraSettings WithSerial(std::string serial) {
    sim::CameraSettings settings;
    settings.serial = std::move(serial);
    return settings;
}

class TestShotTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        os::ClearQuitRequest();  // an earlier test's stop request ends transfers at once
    }
    /// The files in the test-shot folder but its own list.
    std::vector<std::string> ShotsLeft() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(home_ + "test-shots/", ec))
            if (entry.path().filename() != ".recorded")
                names.push_back(entry.path().filename().string());
        return names;
    }
    /// Waits (bounded) until a test shot has landed and been noted.
    bool ShotNoted(std::chrono::milliseconds limit = 10s) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (Slurp(home_ + "test-shots/.recorded").empty()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
};

// Bodies name their pictures as they like: one named _MG_0001.JPG (the simulated camera
// in Adobe RGB) gives its serial like any other, and is purged afterwards.
TEST_F(TestShotTest, APictureOfAnyNameGivesTheSerialAndIsPurged) {
    sim::CameraSettings settings = WithSerial("12345");
    settings.colorSpace = 2;
    Cameras({settings});
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(ShotNoted());
    EXPECT_EQ(ShotsLeft(), std::vector<std::string>{"_MG_0001.JPG"});
    Advance(thread, 1200ms);
    ASSERT_EQ(Identified().size(), 1u);
    EXPECT_EQ(Identified()[0].serialNumber, "0000012345");
    EXPECT_TRUE(ShotsLeft().empty());
}

// What happens to the names in a folder, as the system tells it: "landed NAME" when a
// file takes a name there, "deleted NAME" when it goes.
class FolderWatch {
  public:
    explicit FolderWatch(const std::string& folder) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0)
            ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_DELETE);
    }
    ~FolderWatch() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    std::vector<std::string> Seen() {
        alignas(inotify_event) char buffer[8192];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                const std::string name = event->len > 0 ? event->name : "";
                if (!name.empty() && name[0] != '.')
                    seen_.push_back(((event->mask & IN_DELETE) ? "deleted " : "landed ") + name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return seen_;
    }

  private:
    int fd_ = -1;
    std::vector<std::string> seen_;
};

// A test shot still on the cable when its 30 s are over lands while the connection closes
// (the camera lets it come); the purge after the close takes it.
TEST_F(TestShotTest, ATestShotThatLandsLateIsPurgedAfterTheConnectionCloses) {
    sim::CameraSettings settings = WithSerial("12345");
    settings.busyWhileTransferring = false;  // the settings go back at once
    auto camera = Cameras({settings})->Camera(0);
    camera->SetPictureBytes(4 << 20);
    camera->SetTransferTime(3000ms);
    fs::create_directories(home_ + "test-shots");
    FolderWatch watch(home_ + "test-shots");
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    ASSERT_TRUE(window.testShotPending());
    for (int tick = 1; tick < kTestShotDeadlineTicks; ++tick)
        Advance(thread, std::chrono::milliseconds(Main::kTestShotPeriodMs));
    ASSERT_TRUE(window.testShotPending());
    EXPECT_TRUE(watch.Seen().empty());  // still on its way
    clock_.Advance(std::chrono::milliseconds(Main::kTestShotPeriodMs));
    bool idle = false;
    for (int i = 0; i < 5 && !idle; ++i)  // the close lets the picture arrive
        idle = thread.Idle();
    ASSERT_TRUE(idle);
    EXPECT_FALSE(window.testShotPending());
    EXPECT_TRUE(Identified().empty());
    EXPECT_EQ(watch.Seen(),
              (std::vector<std::string>{"landed IMG_0001.JPG", "deleted IMG_0001.JPG"}));
    EXPECT_TRUE(ShotsLeft().empty());
}

// A camera busy for a while after its shot (it answers busy, or, through libgphoto2, its
// refusal of a busy write shows as a bad value) gets the user's settings back once it
// takes them, the window working meanwhile, and nothing is said.
TEST_F(TestShotTest, ACameraBusyAfterItsShotGetsTheSettingsBackWhenItTakesThem) {
    for (const SdkError answer : {kSdkErrDeviceBusy, kSdkErrInvalidValue}) {
        SCOPED_TRACE(answer);
        identified_.clear();
        fs::remove(home_ + "log.txt");
        auto camera = Cameras({WithSerial("12345")})->Camera(0);
        SetOnCamera(kPropImageQuality, 0x0112FF0F);
        const auto before = ShotSettings(*camera);
        Main window(Setup(1033));
        WindowThread thread(window);
        Advance(thread, 2000ms);
        ASSERT_TRUE(ShotNoted());
        camera->FailNext(sim::Operation::SetPropertyData, 6, answer, kPropIsoSpeed);
        Advance(thread, 1200ms);
        ASSERT_EQ(Identified().size(), 1u);
        EXPECT_TRUE(window.restoring());
        EXPECT_NE(ShotSettings(*camera), before);
        EXPECT_TRUE(fs::exists(UnrestoredSettingsFile(home_)));
        for (int tick = 0; tick < 6 && window.restoring(); ++tick)
            Advance(thread, std::chrono::milliseconds(kRestorePeriodMs));
        EXPECT_FALSE(window.restoring());
        EXPECT_EQ(ShotSettings(*camera), before);
        EXPECT_FALSE(camera->SessionOpen());
        EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
        EXPECT_TRUE(boxes_.Texts().empty());
        EXPECT_FALSE(fs::exists(UnrestoredSettingsFile(home_)));
        EXPECT_TRUE(ShotsLeft().empty());
    }
}

// A camera that stays busy past the limit: the user is told in the window's language, and
// what could not go back is kept in the program folder; the same camera (model and
// serial), found again with the test values still set, as after a crash, gets them back.
TEST_F(TestShotTest, SettingsThatCannotGoBackAreSaidAndPutBackAtTheNextIdentification) {
    const struct {
        uint32_t locale;
        const char* told;
    } cases[] = {{1033, kSettingsNotRestoredEnglish}, {2052, kSettingsNotRestoredChinese}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        boxes_.Clear();
        identified_.clear();
        fs::remove(home_ + "log.txt");
        auto camera = Cameras({WithSerial("12345")})->Camera(0);
        const auto before = ShotSettings(*camera);
        {
            Main window(Setup(c.locale));
            WindowThread thread(window);
            Advance(thread, 2000ms);
            ASSERT_TRUE(ShotNoted());
            camera->BusyNext(sim::Operation::SetPropertyData, 100000, kPropIsoSpeed);
            Advance(thread, 1200ms);
            ASSERT_TRUE(window.restoring());
            const int ticks = static_cast<int>(kRestoreLimit.count()) / kRestorePeriodMs;
            for (int tick = 0; tick < ticks - 1; ++tick)
                clock_.Advance(std::chrono::milliseconds(kRestorePeriodMs));
            ASSERT_TRUE(thread.Idle());
            EXPECT_TRUE(window.restoring());
            EXPECT_TRUE(boxes_.Texts().empty());
            Advance(thread, std::chrono::milliseconds(kRestorePeriodMs));
            EXPECT_FALSE(window.restoring());
            EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{c.told});
            EXPECT_TRUE(window.Item(Main::kRemoteControl).IsWindowEnabled());
        }
        EXPECT_EQ(camera->PropertyValue(kPropIsoSpeed), kTestShotIso);
        EXPECT_TRUE(fs::exists(UnrestoredSettingsFile(home_)));

        // The same camera again, its ISO still the test shot's.
        camera = Cameras({WithSerial("12345")})->Camera(0);
        SetOnCamera(kPropIsoSpeed, kTestShotIso);
        Main window(Setup(c.locale));
        WindowThread thread(window);
        Advance(thread, 2000ms);
        ASSERT_TRUE(ShotNoted());
        Advance(thread, 1200ms);
        ASSERT_EQ(Identified().size(), 2u);
        EXPECT_EQ(ShotSettings(*camera), before);
        EXPECT_FALSE(fs::exists(UnrestoredSettingsFile(home_)));
        EXPECT_EQ(boxes_.Texts().size(), 1u);
    }
}

// The kept settings name their camera by model and serial, whatever those hold; another
// camera's are not taken, and lines the program did not write are passed over.
TEST(UnrestoredSettingsFile, KeepsEachCameraApartAcrossRuns) {
    talbex::testing::TempFolder folder("talbex-unrestored");
    const std::string path = UnrestoredSettingsFile(folder.path());
    const UserSettings one{3, 0x0112FF0F, std::nullopt, 0x58};
    const UserSettings two{1, std::nullopt, 0x48, 0};
    const std::string oddModel = "Sim\tCam\\ \"1\"\n2";
    {
        UnrestoredSettings store(path);
        store.Keep("SimCam S1\n12345", one);
        store.Keep(oddModel + "\nA\tB", two);
    }
    std::ofstream(path, std::ios::app) << "not\ta line of ours\n";
    UnrestoredSettings store(path);  // the next run
    const auto found = store.Find("SimCam S1\n12345");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->afMode, one.afMode);
    EXPECT_EQ(found->imageQuality, one.imageQuality);
    EXPECT_EQ(found->iso, std::nullopt);
    EXPECT_EQ(found->shutterSpeed, one.shutterSpeed);
    const auto odd = store.Find(oddModel + "\nA\tB");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->iso, two.iso);
    EXPECT_FALSE(store.Find("SimCam S1\n54321"));
    store.Forget("SimCam S1\n12345");
    store.Forget(oddModel + "\nA\tB");
    EXPECT_FALSE(UnrestoredSettings(path).Find("SimCam S1\n12345"));
    EXPECT_FALSE(fs::exists(path));
}

// A camera that does not open is never identified from reads that cannot succeed (nor
// the window rebuilt over it): the user is told once, and once it opens it is identified.
TEST_F(TestShotTest, ACameraThatDoesNotOpenIsToldOnceAndIdentifiedWhenItOpens) {
    auto camera = Cameras({WithSerial("12345678")})->Camera(0);
    camera->FailNext(sim::Operation::OpenSession, 2, kSdkErrInternal);
    Main window(Setup(1033));
    WindowThread thread(window);
    Advance(thread, 2000ms);
    EXPECT_FALSE(window.connected());
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{kCameraNotOpenedEnglish});
    Advance(thread, 2000ms);
    EXPECT_EQ(boxes_.Texts().size(), 1u);
    EXPECT_TRUE(Identified().empty());
    Advance(thread, 2000ms);
    ASSERT_EQ(Identified().size(), 1u);
    EXPECT_EQ(Identified()[0].serialNumber, "12345678");
    EXPECT_TRUE(window.IsRunning());
    EXPECT_EQ(boxes_.Texts().size(), 1u);
}

}  // namespace
}  // namespace talbex::shell::testing
