#include "platform/DialogTemplate.h"
#include "platform/ResourceIds.h"

namespace vantor {

namespace {

using K = ControlKind;
using namespace res;

constexpr Anchors kRightBottom = kFollowRight | kFollowBottom;

const DialogTemplate& MainWindow() {
    static const DialogTemplate t{
        IDD_MAIN,
        "Quillon Vantor",
        291,
        281,
        true,
        false,
        "MS Sans Serif",
        8,
        {
            {IDOK, K::kDefPushButton, "Quit", Xywh(234, 260, 50, 14), kRightBottom},
            {IDCANCEL, K::kPushButton, "Cancel", Xywh(175, 260, 50, 14), kRightBottom},
            {IDC_TREE, K::kTreeView, "", Xywh(7, 128, 277, 114), kGrowWidth | kGrowHeight},
            {IDC_COUNT, K::kPushButton, "Count", Xywh(234, 24, 50, 14), kFollowRight},
            {IDC_STATIC, K::kStatic, "Total Count:", Xywh(13, 246, 54, 8), kFollowBottom},
            {IDC_STATIC, K::kStatic, "Total count of selected branch:", Xywh(145, 246, 102, 8),
             kRightBottom},
            {IDC_BRANCH_TOTAL, K::kStatic, "", Xywh(255, 246, 18, 8), kRightBottom},
            {IDC_TOTAL, K::kStatic, "", Xywh(83, 246, 29, 8), kFollowBottom},
            {IDC_PRINT, K::kPushButton, "Print...", Xywh(234, 60, 50, 14), kFollowRight},
            {IDC_STATIC, K::kStaticCenter, "Count", Xywh(232, 117, 52, 8), kFollowRight},
            {IDC_STATIC, K::kStatic, "Partition/Container", Xywh(23, 118, 66, 8)},
            {IDC_CURRENT_LABEL, K::kStatic, "Current Container:", Xywh(7, 94, 116, 8)},
            {IDC_CURRENT_CONTAINER, K::kStatic, "", Xywh(7, 106, 220, 8), kGrowWidth},
            {IDC_SAVE, K::kPushButton, "Save", Xywh(234, 42, 50, 14), kFollowRight},
            {IDC_BY_CONTAINER, K::kCheckBox, "Count by container", Xywh(7, 79, 219, 10)},
            {IDC_STATIC, K::kGroupBox, "Objects", Xywh(7, 9, 132, 62)},
            {IDC_USERS, K::kRadioButton, "Users", Xywh(15, 21, 116, 10), kFixed, true},
            {IDC_SERVERS, K::kRadioButton, "Servers", Xywh(15, 33, 103, 10)},
            {IDC_GROUPS, K::kRadioButton, "Groups", Xywh(15, 45, 102, 10)},
            {IDC_PARTITIONS, K::kRadioButton, "Partitions", Xywh(15, 57, 98, 10)},
            {IDC_ABOUT, K::kPushButton, "About...", Xywh(234, 7, 50, 14), kFollowRight, true},
            {IDC_DIRECTORY, K::kPushButton, "Directory...", Xywh(234, 78, 50, 14), kFollowRight},
        },
        true};
    return t;
}

const DialogTemplate& Splash() {
    static const DialogTemplate t{
        IDD_SPLASH,
        "",
        241,
        185,
        false,
        false,
        "MS Sans Serif",
        8,
        {
            {IDOK, K::kDefPushButton, "OK", Xywh(189, 168, 50, 14)},
            {IDC_STATIC, K::kPicture, "", Xywh(1, 1, 0, 0), kFixed, false, IDB_SPLASH},
        }};
    return t;
}

const DialogTemplate& About() {
    static const DialogTemplate t{
        IDD_ABOUT,
        "About Vantor",
        253,
        194,
        true,
        true,
        "MS Sans Serif",
        8,
        {
            {IDOK, K::kDefPushButton, "OK", Xywh(195, 174, 50, 14), kFixed, true},
            {IDC_STATIC, K::kPicture, "", Xywh(7, 7, 0, 0), kFixed, false, IDB_ABOUT},
        }};
    return t;
}

const DialogTemplate& Notice() {
    static const DialogTemplate t{
        IDD_NOTICE,
        "Counting",
        247,
        193,
        true,
        false,
        "MS Sans Serif",
        8,
        {
            {IDOK, K::kDefPushButton, "OK", Xywh(139, 172, 50, 14)},
            {IDC_STATIC, K::kPicture, "", Xywh(6, 5, 0, 0), kFixed, false, IDB_NOTICE},
            {IDC_DONT_SHOW, K::kCheckBox, "Do not show this message again", Xywh(10, 173, 122, 10)},
            {IDCANCEL, K::kPushButton, "Cancel", Xywh(194, 172, 50, 14)},
        }};
    return t;
}

const DialogTemplate& Directory() {
    static const DialogTemplate t{
        IDD_DIRECTORY,
        "Directory",
        271,
        192,
        true,
        false,
        "MS Sans Serif",
        8,
        {
            {IDC_DIR_LDIF, K::kRadioButton, "LDIF export", Xywh(7, 7, 120, 10), kFixed, true},
            {IDC_STATIC, K::kStatic, "File:", Xywh(19, 22, 40, 8)},
            {IDC_DIR_FILE, K::kEdit, "", Xywh(64, 20, 146, 12)},
            {IDC_DIR_BROWSE, K::kPushButton, "Browse...", Xywh(214, 19, 50, 14)},
            {IDC_DIR_LDAP, K::kRadioButton, "LDAP server", Xywh(7, 40, 120, 10)},
            {IDC_STATIC, K::kStatic, "URI:", Xywh(19, 55, 40, 8)},
            {IDC_DIR_URI, K::kEdit, "", Xywh(64, 53, 200, 12)},
            {IDC_STATIC, K::kStatic, "Base:", Xywh(19, 71, 40, 8)},
            {IDC_DIR_BASE, K::kEdit, "", Xywh(64, 69, 200, 12)},
            {IDC_STATIC, K::kStatic, "Bind name:", Xywh(19, 87, 44, 8)},
            {IDC_DIR_BIND_NAME, K::kEdit, "", Xywh(64, 85, 200, 12)},
            {IDC_STATIC, K::kStatic, "Password:", Xywh(19, 103, 44, 8)},
            {IDC_DIR_PASSWORD, K::kPasswordEdit, "", Xywh(64, 101, 200, 12)},
            {IDC_DIR_STARTTLS, K::kCheckBox, "Use StartTLS", Xywh(64, 117, 120, 10)},
            {IDC_STATIC, K::kStatic, "Profile:", Xywh(7, 137, 50, 8)},
            {IDC_DIR_PROFILE, K::kDropDown, "", Xywh(64, 135, 146, 12)},
            {IDC_DIR_PROFILE_BROWSE, K::kPushButton, "Browse...", Xywh(214, 134, 50, 14)},
            {IDC_STATIC, K::kStatic, "Filter:", Xywh(7, 153, 50, 8)},
            {IDC_DIR_FILTER, K::kEdit, "", Xywh(64, 151, 200, 12)},
            {IDOK, K::kDefPushButton, "OK", Xywh(160, 172, 50, 14)},
            {IDCANCEL, K::kPushButton, "Cancel", Xywh(214, 172, 50, 14)},
        }};
    return t;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate* t : {&MainWindow(), &Splash(), &About(), &Notice(), &Directory()}) {
        if (t->id == id) {
            return t;
        }
    }
    return nullptr;
}

}  // namespace vantor
