#pragma once
// The names, tags, faces and string ids of the add-in's menu and buttons.
#include <string_view>

namespace ringova {

inline constexpr std::string_view kMenuBar = "Menu Bar";
inline constexpr std::string_view kStandardBar = "Standard";
inline constexpr std::string_view kContextMenuBar = "Context Menu";

inline constexpr std::string_view kPopupCaption = "R&ingova";
inline constexpr std::string_view kPopupTag = "RingovaTag";
inline constexpr std::string_view kMakeTag = "Make";
inline constexpr std::string_view kCloseTag = "Close";
inline constexpr std::string_view kDialingTag = "Dialing";
inline constexpr std::string_view kAboutTag = "About";
// Routes the clicks of the controls to this add-in.
inline constexpr std::string_view kOnAction = "!<Ringova_Outlook.Connect>";

inline constexpr int kMakeFace = 3737;
inline constexpr int kCloseFace = 2616;
inline constexpr int kSettingsFace = 222;

// Outlook's own telephone commands that the TapiPhone setting switches.
inline constexpr int kDialButtonId = 2616;     // on "Standard"
inline constexpr int kActionsPopupId = 30141;  // on "Menu Bar"
inline constexpr int kDialCommandId = 30173;   // inside the actions popup

// String ids.
inline constexpr int kTextMakeTag = 132;          // "Make "
inline constexpr int kTextMakeTooltip = 133;      // "Make new call "
inline constexpr int kTextCloseTooltip = 134;     // "Close current call "
inline constexpr int kTextSettingsTag = 135;      // "Settings "
inline constexpr int kTextMakeItem = 139;         // "Ma&ke"
inline constexpr int kTextCloseItem = 140;        // "Clo&se"
inline constexpr int kTextSettingsItem = 141;     // "Se&ttings"
inline constexpr int kTextCloseTag = 142;         // "Close"
inline constexpr int kTextAbout = 148;            // "About Ringova AddIn"
inline constexpr int kTextDialing = 161;          // "Dialing options..."
inline constexpr int kTextContactsLoading = 169;  // "Contacts loading..."
inline constexpr int kTextReloadContacts = 179;   // "Would you like to reload contacts?"

}  // namespace ringova
