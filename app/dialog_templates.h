#pragma once

#include <span>

namespace vexilo {

// Dialog and menu resources as data: the Qt adapter builds every window from these, so
// positions, ids, texts and tab order are written once. Units are dialog units; texts are
// Shift_JIS with "&" marking a mnemonic.

enum class ControlKind {
  PushButton,
  DefaultPushButton,
  CheckBox,     // automatic
  RadioButton,  // automatic
  Edit,
  EtchedFrame,
  GroupBox,
  HorizontalScrollBar,
  VerticalScrollBar,
  Text,  // a static line of text
  Icon,  // the application icon
};

enum ControlStyle : unsigned {
  StyleNone = 0,
  StyleGroup = 1u << 0,        // starts a group of radio buttons
  StyleAutoHScroll = 1u << 1,  // edit scrolls horizontally
  StyleMultiLine = 1u << 2,    // edit of several lines
  StyleVScroll = 1u << 3,      // with a vertical scroll bar
  StyleCentre = 1u << 4,       // centred text
  StyleBorder = 1u << 5,
};

enum DialogStyle : unsigned {
  DialogCaption = 1u << 0,
  DialogSystemMenu = 1u << 1,
  DialogMinimizeBox = 1u << 2,
  DialogModalFrame = 1u << 3,
  DialogAppWindow = 1u << 4,   // its own entry in the task bar
  DialogThickFrame = 1u << 5,  // resizable: the grid frame grows, the controls follow it
  DialogMaximizeBox = 1u << 6,
};

// How a control of a resizable dialog follows the grid frame when it grows or shrinks.
enum ControlAnchor : unsigned {
  AnchorNone = 0,
  FollowRight = 1u << 0,    // moves with the frame's right side
  FollowBottom = 1u << 1,   // moves with its bottom
  StretchRight = 1u << 2,   // its own right side moves with the frame's
  StretchBottom = 1u << 3,  // its own bottom moves with the frame's
};

inline constexpr int NoId = -1;  // a control nothing refers to

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

struct ControlTemplate {
  int id = NoId;
  ControlKind kind = ControlKind::Text;
  const char* text = "";
  unsigned style = StyleNone;
  DialogRect position;
  unsigned anchor = AnchorNone;
};

struct DialogTemplate {
  int id = 0;
  const char* caption = "";  // "" with no DialogCaption: no title bar
  int width = 0;             // of the client area
  int height = 0;
  int fontPoints = 9;
  unsigned style = 0;
  int menuId = 0;                             // 0: none
  std::span<const ControlTemplate> controls;  // in tab order
};

struct MenuTemplate;

struct MenuItemTemplate {
  int id = 0;  // 0: separator, unless the item opens a submenu
  const char* text = "";
  bool radio = false;  // one of the menu's exclusive choices, checked through the control port
  bool check = false;  // checked and unchecked on its own, through the control port
  const MenuTemplate* submenu = nullptr;  // opened by the item, which takes the submenu's text
  bool platformEntries = false;  // a submenu whose entries the platform gives (最近使ったファイル)
};

struct MenuTemplate {
  const char* text = "";
  std::span<const MenuItemTemplate> items;
};

// A key that gives a command, whether or not its menu is open.
struct AcceleratorTemplate {
  int id = 0;
  const char* keys = "";  // as "Ctrl+Shift+Z"
};

inline constexpr int AboutTemplateId = 100;
inline constexpr int MainTemplateId = 102;
inline constexpr int WordEntryTemplateId = 129;
inline constexpr int RegisterWordTemplateId = 130;
inline constexpr int MainMenuId = 131;
inline constexpr int NewPuzzleTemplateId = 140;

// The template with that id; the main dialog's for an unknown id is never wanted, so it throws.
const DialogTemplate& dialogTemplate(int id);
std::span<const MenuTemplate> mainMenu();             // menu 131, left to right
std::span<const AcceleratorTemplate> accelerators();  // of the main dialog
const char* systemMenuAboutText();  // string 101, the About entry of the window menu

}  // namespace vexilo
