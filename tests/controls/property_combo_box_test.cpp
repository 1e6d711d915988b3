#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "camera/camera_model.h"
#include "camera/current_model.h"
#include "controls/property_combo_boxes.h"
#include "controls_host.h"
#include "platform/ui/language.h"
#include "resources/dialog_templates.h"

namespace talbex::controls::testing {
namespace {

// The remote-control window with the eight property lists bound where it binds them.
class Host : public ui::Dialog {
  public:
    Host() : ui::Dialog(resources::RemoteControlDialog()) {
        AttachControl(1007, aeMode);
        AttachControl(1008, tv);
        AttachControl(1009, av);
        AttachControl(1010, iso);
        AttachControl(1011, metering);
        AttachControl(1012, exposure);
        AttachControl(1021, quality);
        AttachControl(1029, evfAfMode);
    }
    CAEMode aeMode;
    CTv tv;
    CAv av;
    CIso iso;
    CMeteringMode metering;
    CExposureComp exposure;
    CImageQuality quality;
    CEvfAFMode evfAfMode;
    int language = ui::kLanguageEnglish;

  protected:
    bool OnInitDialog() override {
        aeMode.LoadLabels(language);
        evfAfMode.LoadLabels(language);
        return true;
    }
};

std::vector<std::string> Rows(const ui::Window& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.GetCount(); ++i)
        rows.push_back(list.GetLBText(i));
    return rows;
}

std::vector<uint32_t> Values(const ui::Window& list) {
    std::vector<uint32_t> values;
    for (int i = 0; i < list.GetCount(); ++i)
        values.push_back(list.GetItemData(i));
    return values;
}

SdkPropertyDesc Allowed(std::vector<int32_t> values) {
    SdkPropertyDesc d{};
    d.numElements = static_cast<int32_t>(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        d.propDesc[i] = values[i];
    return d;
}

class PropertyComboTest : public ::testing::Test {
  protected:
    void SetUp() override {
        camera::currentModel = &model;
        model.addObserver(&host.aeMode);
        model.addObserver(&host.tv);
        model.addObserver(&host.av);
        model.addObserver(&host.iso);
        model.addObserver(&host.metering);
        model.addObserver(&host.exposure);
        model.addObserver(&host.quality);
        model.addObserver(&host.evfAfMode);
        for (camera::ActionSource* source : std::initializer_list<camera::ActionSource*>{
                 &host.aeMode, &host.tv, &host.av, &host.iso, &host.metering, &host.exposure,
                 &host.quality, &host.evfAfMode})
            source->addActionListener(&actions);
    }
    void TearDown() override { camera::currentModel = nullptr; }

    // The model notifies from its worker thread, as the commands do.
    void NotifyFromWorker(const std::string& type, uint32_t id) {
        std::thread([&] { model.notifyObservers(type, &id); }).join();
    }
    void DescribeFromWorker(uint32_t id, std::vector<int32_t> values) {
        model.setPropertyDesc(id, Allowed(std::move(values)));
        NotifyFromWorker("PropertyDescChanged", id);
    }
    void ValueFromWorker(uint32_t id, uint32_t value) {
        model.setPropertyUInt32(id, value);
        NotifyFromWorker("PropertyChanged", id);
    }

    camera::CameraModel model{nullptr};
    Host host;
    RecordingListener actions;
};

TEST_F(PropertyComboTest, AllowedValuesBecomeRowsInTheCamerasOrderAndAPickSendsTheCode) {
    WindowThread window(host);
    DescribeFromWorker(kPropIsoSpeed, {0x48, 0x50, 0x58});
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(Rows(host.iso), (std::vector<std::string>{"100", "200", "400"}));
    EXPECT_EQ(Values(host.iso), (std::vector<uint32_t>{0x48, 0x50, 0x58}));
    EXPECT_TRUE(host.iso.IsWindowEnabled());

    // The control is hidden in the window, so the pick is made as the list itself sees it.
    window.Do([&] {
        host.iso.SetCurSel(1);
        host.NotifyFromControl(1010, ui::kCbnSelChange);
    });
    EXPECT_EQ(actions.Lines(), (std::vector<std::string>{"set_ISOSpeed 0x50"}));

    // Values without a label are left out; the rest keep their order.
    DescribeFromWorker(kPropIsoSpeed, {0x58, 0x07, 0x48});
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(Rows(host.iso), (std::vector<std::string>{"400", "100"}));
}

TEST_F(PropertyComboTest, ASortedListStillTakesTheCamerasOrderAndSameLabelsStaySeparate) {
    WindowThread window(host);
    DescribeFromWorker(kPropAeMode, {0x03, 0x00, 0x02, -1});
    DescribeFromWorker(kPropAv, {0x0D, 0x0C, 0x10});
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(Rows(host.aeMode), (std::vector<std::string>{"M", "P", "Av", "unknown"}));
    EXPECT_EQ(Rows(host.av), (std::vector<std::string>{"1.2", "1.2", "1.4"}));
    EXPECT_EQ(Values(host.av), (std::vector<uint32_t>{0x0D, 0x0C, 0x10}));
    // A user's pick in the visible, sorted AE-mode list.
    bool picked = false;
    window.Do([&] { picked = ui::user::PickRow(host, 1007, "Av"); });
    EXPECT_TRUE(picked);
    window.Do([&] {
        host.av.SetCurSel(1);
        host.NotifyFromControl(1009, ui::kCbnSelChange);
    });
    EXPECT_EQ(actions.Lines(), (std::vector<std::string>{"set_AEMode 0x2", "set_Av 0xC"}));
}

TEST_F(PropertyComboTest, TheCurrentValueShowsItsLabelAndUnknownCodesKeepTheText) {
    WindowThread window(host);
    ValueFromWorker(kPropTv, 0x70);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(host.tv.GetWindowText(), "1/125");
    EXPECT_EQ(host.tv.GetCurSel(), -1);  // the selection is not touched
    ValueFromWorker(kPropTv, 0x01);      // no label
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(host.tv.GetWindowText(), "1/125");
    ValueFromWorker(kPropAeMode, 0xFFFFFFFF);
    ValueFromWorker(kPropMeteringMode, 5);
    ValueFromWorker(kPropExposureCompensation, 0xF5);
    ValueFromWorker(kPropImageQuality, 0x00640013);
    ValueFromWorker(kPropTv, 0x2B);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(host.aeMode.GetWindowText(), "unknown");
    EXPECT_EQ(host.metering.GetWindowText(), "Center-Weighted Average");
    EXPECT_EQ(host.exposure.GetWindowText(), "-1 1/3");
    EXPECT_EQ(host.quality.GetWindowText(), "RAW + Large Fine Jpeg");
    EXPECT_EQ(host.tv.GetWindowText(), "3\"2");
}

TEST_F(PropertyComboTest, RebuildingKeepsTheShownTextAndNothingAllowedDisablesTheList) {
    WindowThread window(host);
    ValueFromWorker(kPropExposureCompensation, 0x08);
    DescribeFromWorker(kPropExposureCompensation, {0x00, 0x08});
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(host.exposure.GetWindowText(), "+1");
    EXPECT_EQ(host.exposure.GetCount(), 2);
    DescribeFromWorker(kPropExposureCompensation, {});
    ASSERT_TRUE(window.Idle());
    EXPECT_FALSE(host.exposure.IsWindowEnabled());
    EXPECT_EQ(host.exposure.GetCount(), 0);
    EXPECT_EQ(host.exposure.GetWindowText(), "+1");
    DescribeFromWorker(kPropExposureCompensation, {0x00});
    ASSERT_TRUE(window.Idle());
    EXPECT_TRUE(host.exposure.IsWindowEnabled());
}

TEST_F(PropertyComboTest, OnlyExactEventNamesForTheWatchedPropertyCount) {
    WindowThread window(host);
    model.setPropertyUInt32(kPropTv, 0x70);
    model.setPropertyDesc(kPropTv, Allowed({0x70}));
    NotifyFromWorker("PropertyChanged", kPropAv);   // another property
    NotifyFromWorker("PropertyChangedX", kPropTv);  // merely begins with the name
    NotifyFromWorker("propertychanged", kPropTv);   // case matters
    NotifyFromWorker("PropertyDescChange", kPropTv);
    std::thread([&] { model.notifyObservers("PropertyChanged", nullptr); }).join();
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(host.tv.GetWindowText(), "");
    EXPECT_EQ(host.tv.GetCount(), 0);
}

TEST_F(PropertyComboTest, LabelTablesWalkInAscendingCodeOrder) {
    const auto& ae = host.aeMode.labels();
    EXPECT_TRUE(ae.empty());  // until LoadLabels
    host.aeMode.LoadLabels(1);
    ASSERT_EQ(ae.size(), 25u);
    EXPECT_EQ(ae.begin()->second, std::string("程序优先"));
    EXPECT_EQ(ae.rbegin()->first, 0xFFFFFFFFu);  // "unknown" comes last
    EXPECT_EQ(ae.rbegin()->second, std::string("未知"));
    // The tables as first written, and the codes real bodies added (shutter speeds to
    // 1/32000, ISO speeds, ±5 stops, compact RAW, basic and extra fine JPEG).
    EXPECT_EQ(host.tv.labels().size(), 74u + 6);
    EXPECT_EQ(host.av.labels().size(), 54u);
    EXPECT_EQ(host.iso.labels().size(), 34u + 7);
    EXPECT_EQ(host.metering.labels().size(), 4u);
    EXPECT_EQ(host.exposure.labels().size(), 25u + 16);
    EXPECT_EQ(host.quality.labels().size(), 81u + 12);
    EXPECT_EQ(host.tv.labels().rbegin()->second, std::string("1/32000"));  // 0xB0
    EXPECT_EQ(host.iso.labels().at(0x43), std::string("64"));
    EXPECT_EQ(host.exposure.labels().rbegin()->second, std::string("-1/3"));  // 0xFD
    EXPECT_EQ(host.quality.labels().at(0x002F000F), std::string("RAW"));
    EXPECT_EQ(host.tv.getActionCommand(), "set_Tv");
    EXPECT_EQ(host.metering.getActionCommand(), "set_MeteringMode");
    EXPECT_EQ(host.exposure.getActionCommand(), "set_ExposureCompensation");
    EXPECT_EQ(host.quality.getActionCommand(), "set_ImageQuality");
}

TEST_F(PropertyComboTest, LiveViewAfModeOffersAllFourModesUntilTheCameraDescribesThem) {
    host.language = 1;
    WindowThread window(host);
    // Chinese labels, added to a sorted list the ordinary way.
    EXPECT_EQ(Rows(host.evfAfMode), (std::vector<std::string>{"实时模式", "实时自由多点模式",
                                                              "快速模式", "脸部检测实时模式"}));
    EXPECT_EQ(host.evfAfMode.GetItemData(host.evfAfMode.FindStringExact("快速模式")), 0u);
    EXPECT_EQ(host.evfAfMode.GetItemData(host.evfAfMode.FindStringExact("脸部检测实时模式")), 2u);
    bool picked = false;
    window.Do([&] { picked = ui::user::PickRow(host, 1029, "脸部检测实时模式"); });
    EXPECT_TRUE(picked);
    EXPECT_EQ(actions.Lines(), (std::vector<std::string>{"set_EvfAFMode 0x2"}));
    DescribeFromWorker(kPropEvfAfMode, {0, 2});
    ValueFromWorker(kPropEvfAfMode, 2);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(Rows(host.evfAfMode), (std::vector<std::string>{"快速模式", "脸部检测实时模式"}));
    EXPECT_EQ(host.evfAfMode.GetWindowText(), "脸部检测实时模式");
    EXPECT_EQ(host.aeMode.labels().at(0xFFFFFFFF), std::string("未知"));
}

TEST_F(PropertyComboTest, WithoutACurrentModelTheMessagesDoNothing) {
    WindowThread window(host);
    camera::currentModel = nullptr;
    host.tv.PostMessage(kWmCurrentValueChanged);
    host.tv.PostMessage(kWmAllowedValuesChanged);
    ASSERT_TRUE(window.Idle());
    EXPECT_EQ(host.tv.GetCount(), 0);
    EXPECT_TRUE(host.tv.IsWindowEnabled());
}

TEST(PropertyComboBox, ACountBeyondTheRecordReadsOnlyItsValues) {
    // Bound to a control of its own dialog, with no model involved.
    ui::Dialog dialog(resources::RemoteControlDialog());
    CIso iso;
    dialog.AttachControl(1010, iso);
    SdkPropertyDesc d{};
    d.numElements = 100000;
    for (int i = 0; i < 128; ++i)
        d.propDesc[i] = 0x48;
    iso.LoadAllowedValues(d);
    EXPECT_EQ(iso.GetCount(), 128);
    d.numElements = -5;
    iso.LoadAllowedValues(d);
    EXPECT_EQ(iso.GetCount(), 0);
    EXPECT_FALSE(iso.IsWindowEnabled());
}

}  // namespace
}  // namespace talbex::controls::testing
