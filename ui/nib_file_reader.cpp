// Reading the layout file (see resources/main_nib.xml for the format).
#include <cstdlib>
#include <sstream>
#include <string>

#include "foundation/cf_string_holder.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "platform/byte_order.h"
#include "platform/carbon_strings.h"
#include "ui/nib_file.h"

namespace {

struct Element {
  CXmlNode node;
  std::string name;
};

// The attribute's text; false when the element lacks it.
[[nodiscard]] bool Attribute(CXmlNode& element, const char* name, std::string* out) {
  CXmlElementInfo info;
  if (!element.GetElementInfo(info)) return false;
  CXmlNode value;
  if (!info.FindAttribute(name, value)) return false;
  *out = value.GetTextString();
  return true;
}

std::string AttributeOr(CXmlNode& element, const char* name, const char* fallback) {
  std::string text;
  return Attribute(element, name, &text) ? text : std::string(fallback);
}

// Calls `visit(child, childName)` for each child element; stops at the first false.
template <typename Visit>
[[nodiscard]] bool ForEachChild(CXmlNode& element, Visit visit) {
  CXmlNodeList children;
  if (!element.GetChildren(children)) return false;
  for (int i = 0; i < children.GetCount(); ++i) {
    CXmlNode child;
    if (!children.GetAt(i, child)) return false;
    const std::string name = child.GetNameString();
    if (name.empty()) continue;  // text between elements
    if (!visit(child, name)) return false;
  }
  return true;
}

[[nodiscard]] bool ParseNumber(const std::string& text, long low, long high, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != 0 || value < low || value > high) return false;
  *out = value;
  return true;
}

// A four-character code, a decimal number, or "" for 0.
[[nodiscard]] bool ParseCode(const std::string& text, UInt32* out) {
  if (text.empty()) {
    *out = 0;
    return true;
  }
  if (text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 9) {
    *out = UInt32(std::strtoul(text.c_str(), nullptr, 10));
    return true;
  }
  if (text.size() != 4) return false;
  *out = plat::GetBig32(text.data());
  return true;
}

[[nodiscard]] bool ParseBool(const std::string& text, bool fallback, bool* out) {
  if (text.empty()) *out = fallback;
  else if (text == "true") *out = true;
  else if (text == "false") *out = false;
  else return false;
  return true;
}

[[nodiscard]] bool ParseWindowClass(const std::string& text, WindowClass* out) {
  static const struct {
    const char* name;
    WindowClass value;
  } kClasses[] = {{"document", kDocumentWindowClass}, {"movablemodal", kMovableModalWindowClass},
                  {"modal", kModalWindowClass},        {"floating", kFloatingWindowClass},
                  {"utility", kUtilityWindowClass},    {"plain", kPlainWindowClass},
                  {"sheet", kSheetWindowClass}};
  for (const auto& c : kClasses) {
    if (text == c.name) {
      *out = c.value;
      return true;
    }
  }
  return false;
}

[[nodiscard]] bool ParseAttributes(const std::string& text, WindowAttributes* out) {
  *out = 0;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    if (word == "close") *out |= kWindowCloseBoxAttribute;
    else if (word == "zoom") *out |= kWindowHorizontalZoomAttribute | kWindowVerticalZoomAttribute;
    else if (word == "collapse") *out |= kWindowCollapseBoxAttribute;
    else if (word == "resizable") *out |= kWindowResizableAttribute;
    else if (word == "standard") *out |= kWindowStandardHandlerAttribute;
    else return false;
  }
  return true;
}

[[nodiscard]] bool ParseModifiers(const std::string& text, UInt8* out) {
  *out = 0;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    if (word == "shift") *out |= kMenuShiftModifier;
    else if (word == "option") *out |= kMenuOptionModifier;
    else if (word == "control") *out |= kMenuControlModifier;
    else if (word == "nocommand") *out |= kMenuNoCommandModifier;
    else return false;
  }
  return true;
}

[[nodiscard]] bool ParseGeometry(CXmlNode& element, Rect* out) {
  long left = 0, top = 0, width = 0, height = 0;
  if (!ParseNumber(AttributeOr(element, "left", "0"), -32768, 32767, &left) ||
      !ParseNumber(AttributeOr(element, "top", "0"), -32768, 32767, &top) ||
      !ParseNumber(AttributeOr(element, "width", ""), 0, 32767, &width) ||
      !ParseNumber(AttributeOr(element, "height", ""), 0, 32767, &height) || left + width > 32767 ||
      top + height > 32767)
    return false;
  *out = MakeRect(SInt16(left), SInt16(top), SInt16(left + width), SInt16(top + height));
  return true;
}

[[nodiscard]] bool ParseOptionalValue(CXmlNode& element, const char* name, SInt32* out, bool* present) {
  std::string text;
  *present = Attribute(element, name, &text);
  long value = 0;
  if (*present && !ParseNumber(text, -2147483647L - 1, 2147483647L, &value)) return false;
  *out = SInt32(value);
  return true;
}

class Reader {
 public:
  std::string error;

  bool Fail(const std::string& what) {
    if (error.empty()) error = what;
    return false;
  }

  [[nodiscard]] bool ReadItem(CXmlNode& element, const std::string& name, CNibFile::MenuDesc* menu) {
    CNibFile::ItemDesc item;
    if (name == "separator") {
      item.separator = true;
      menu->items.push_back(item);
      return true;
    }
    if (name != "item") return Fail("menu " + menu->title + ": unknown element " + name);
    item.title = AttributeOr(element, "title", "");
    const std::string key = AttributeOr(element, "key", "");
    if (key.size() > 1) return Fail("item " + item.title + ": key must be one character");
    item.key = key.empty() ? 0 : UInt8(key[0]);
    if (!ParseCode(AttributeOr(element, "command", ""), &item.command) ||
        !ParseModifiers(AttributeOr(element, "modifiers", ""), &item.modifiers) ||
        !ParseBool(AttributeOr(element, "enabled", ""), true, &item.enabled))
      return Fail("item " + item.title + ": bad command, modifiers or enabled");
    menu->items.push_back(item);
    return true;
  }

  [[nodiscard]] bool ReadMenuBar(CXmlNode& element, CNibFile* nib) {
    CNibFile::MenuBarDesc bar;
    if (!Attribute(element, "name", &bar.name)) return Fail("menubar without a name");
    bool ok = ForEachChild(element, [&](CXmlNode& child, const std::string& name) {
      if (name != "menu") return Fail("menubar: unknown element " + name);
      CNibFile::MenuDesc menu;
      long id = 0;
      if (!ParseNumber(AttributeOr(child, "id", ""), -32768, 32767, &id)) return Fail("menu without a valid id");
      menu.id = MenuID(id);
      menu.title = AttributeOr(child, "title", "");
      if (!ForEachChild(child, [&](CXmlNode& item, const std::string& itemName) {
            return ReadItem(item, itemName, &menu);
          }))
        return Fail("menu " + menu.title);
      bar.menus.push_back(menu);
      return true;
    });
    if (!ok) return false;
    nib->AddMenuBar(bar);
    return true;
  }

  [[nodiscard]] bool ReadControl(CXmlNode& element, int depth, CNibFile::ControlDesc* out) {
    if (depth > 32) return Fail("controls nested too deeply");
    CNibFile::ControlDesc& c = *out;
    const std::string kind = AttributeOr(element, "kind", "");
    if (!plat::ControlKindFromName(kind, &c.kind) || c.kind == plat::ControlKind::kRoot)
      return Fail("control of unknown kind '" + kind + "'");
    long id = 0;
    std::string command;
    const bool hasCommand = Attribute(element, "command", &command);
    if (!ParseCode(AttributeOr(element, "signature", ""), &c.id.signature) ||
        !ParseNumber(AttributeOr(element, "id", "0"), -2147483647L - 1, 2147483647L, &id) ||
        (hasCommand && !ParseCode(command, &c.command)))
      return Fail("control '" + kind + "': bad signature, id or command");
    c.id.id = SInt32(id);
    if (!hasCommand) {
      switch (c.kind) {
        case plat::ControlKind::kPushButton:
        case plat::ControlKind::kBevelButton:
        case plat::ControlKind::kCheckBox:
        case plat::ControlKind::kRadioButton:
        case plat::ControlKind::kPopupButton:
          c.command = c.id.signature;
          break;
        default:
          break;
      }
    }
    if (!ParseGeometry(element, &c.bounds)) return Fail("control '" + kind + "': bad geometry");
    c.title = AttributeOr(element, "title", "");
    if (!ParseOptionalValue(element, "value", &c.value, &c.hasValue) ||
        !ParseOptionalValue(element, "minimum", &c.minimum, &c.hasMinimum) ||
        !ParseOptionalValue(element, "maximum", &c.maximum, &c.hasMaximum) ||
        !ParseBool(AttributeOr(element, "visible", ""), true, &c.visible) ||
        !ParseBool(AttributeOr(element, "enabled", ""), true, &c.enabled))
      return Fail("control '" + kind + "': bad value or state");
    return ForEachChild(element, [&](CXmlNode& child, const std::string& name) {
      if ((name == "item" && c.kind == plat::ControlKind::kPopupButton) ||
          (name == "tab" && c.kind == plat::ControlKind::kTabs)) {
        c.items.push_back(AttributeOr(child, "title", ""));
        return true;
      }
      if (name != "control") return Fail("control '" + kind + "': unexpected element " + name);
      CNibFile::ControlDesc inner;
      if (!ReadControl(child, depth + 1, &inner)) return false;
      c.children.push_back(inner);
      return true;
    });
  }

  [[nodiscard]] bool ReadWindow(CXmlNode& element, CNibFile* nib) {
    CNibFile::WindowDesc w;
    if (!Attribute(element, "name", &w.name)) return Fail("window without a name");
    if (!ParseWindowClass(AttributeOr(element, "class", "document"), &w.windowClass) ||
        !ParseAttributes(AttributeOr(element, "attributes", ""), &w.attributes) || !ParseGeometry(element, &w.bounds))
      return Fail("window " + w.name + ": bad class, attributes or geometry");
    w.title = AttributeOr(element, "title", "");
    const bool ok = ForEachChild(element, [&](CXmlNode& child, const std::string& name) {
      if (name != "control") return Fail("window " + w.name + ": unexpected element " + name);
      CNibFile::ControlDesc control;
      if (!ReadControl(child, 0, &control)) return false;
      w.controls.push_back(control);
      return true;
    });
    if (!ok) return Fail("window " + w.name);
    nib->AddWindow(w);
    return true;
  }
};

}  // namespace

bool CNibFile::Load(const CPathName& path, std::string* error) {
  windows_.clear();
  menuBars_.clear();
  Reader reader;
  CXmlDocument document;
  CXmlNode root;
  bool ok = document.Open(path) && document.GetRootNode(root);
  if (!ok) reader.Fail("cannot read " + path.GetString());
  if (ok && root.GetNameString() != "nib") ok = reader.Fail("the root element is not <nib>");
  if (ok) {
    ok = ForEachChild(root, [&](CXmlNode& child, const std::string& name) {
      if (name == "menubar") return reader.ReadMenuBar(child, this);
      if (name == "window") return reader.ReadWindow(child, this);
      return reader.Fail("unknown element " + name);
    });
  }
  if (!ok) {
    windows_.clear();
    menuBars_.clear();
    if (error) *error = reader.error;
  }
  return ok;
}

OSStatus CreateNibReference(CFStringRef name, IBNibRef* outNib) {
  if (!outNib) return paramErr;
  *outNib = nullptr;
  CPathName path;
  const std::string file = plat::MacRomanOf(name) + "_nib.xml";
  if (!path.SetToBundleResource(file.c_str())) return fnfErr;
  auto nib = new CNibFile;
  std::string error;
  if (!nib->Load(path, &error)) {
    delete nib;
    return paramErr;
  }
  *outNib = nib;
  return noErr;
}
