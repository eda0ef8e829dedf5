// The number fields of the Options and auto-stop dialogs read by their own names, not all
// by the group's title.
#include "settings/dialogs/setting_form.h"
#include "settings/dialogs/time_limit_form.h"
#include "settings/dialogs/time_limit_group.h"
#include "settings/dialogs/up_down.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/test_settings.h"

#include <QAccessible>
#include <QLineEdit>
#include <QToolButton>

#include <memory>

namespace {

QString accessibleName(QWidget *widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

class SettingFieldsAccessTest : public testsupport::SettingsFixture {};

}  // namespace

TEST_F(SettingFieldsAccessTest, LimitAndSplitFieldsAreNamedByTheirUnits) {
    TSettingForm form(testRecordingSettings(), testCaptureSettings(), hooks(), nullptr);
    EXPECT_EQ(accessibleName(form.Edit1), QStringLiteral("hours"));
    EXPECT_EQ(accessibleName(form.Edit2), QStringLiteral("minutes"));
    EXPECT_EQ(accessibleName(form.Edit3), QStringLiteral("seconds"));
    EXPECT_EQ(accessibleName(form.Edit4), QStringLiteral("minutes"));
    EXPECT_EQ(accessibleName(form.Edit5), QStringLiteral("seconds"));
    EXPECT_EQ(accessibleName(form.UpDown1->upButton()), QStringLiteral("Up"));
    EXPECT_EQ(accessibleName(form.UpDown1->downButton()), QStringLiteral("Down"));
    EXPECT_EQ(accessibleName(form.EdSavePath), QStringLiteral("Save Path"));

    TTimeLimitForm limit(testRecordingSettings(), hooks(), nullptr);
    EXPECT_EQ(accessibleName(limit.Edit1), QStringLiteral("hours"));
    EXPECT_EQ(accessibleName(limit.Edit3), QStringLiteral("seconds"));
}
