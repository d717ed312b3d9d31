#include "foundation/key_names.h"

#include <cstring>

namespace {

struct KeyName {
  u32 code;
  const char* name;
};

constexpr KeyName kSpecialKeys[] = {
    {36, "Return"},     {48, "Tab"},        {49, "Space"},       {51, "Backspace"},
    {55, "Command"},    {56, "Shift"},      {57, "Caps Lock"},   {58, "Option"},
    {59, "Control"},    {71, "Clear"},      {76, "Enter"},       {96, "F5"},
    {97, "F6"},         {98, "F7"},         {99, "F3"},          {100, "F8"},
    {101, "F9"},        {103, "F11"},       {109, "F10"},        {111, "F12"},
    {114, "Help"},      {115, "Home"},      {116, "Page Up"},    {117, "Delete"},
    {118, "F4"},        {119, "End"},       {120, "F2"},         {121, "Page Down"},
    {122, "F1"},        {123, "Left Arrow"}, {124, "Right Arrow"}, {125, "Down Arrow"},
    {126, "Up Arrow"},
};

// The unshifted characters of the US layout by virtual key code (0 for none),
// keypad keys included.
constexpr char kUsLayout[128] = {
    'a', 's', 'd', 'f', 'h', 'g', 'z', 'x', 'c', 'v', 0,   'b', 'q', 'w', 'e',  'r',   // 0-15
    'y', 't', '1', '2', '3', '4', '6', '5', '=', '9', '7', '-', '8', '0', ']',  'o',   // 16-31
    'u', '[', 'i', 'p', 0,   'l', 'j', '\'', 'k', ';', '\\', ',', '/', 'n', 'm', '.',  // 32-47
    0,   0,   '`', 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    0,     // 48-63
    0,   '.', 0,   '*', 0,   '+', 0,   0,   0,   0,   0,   '/', 0,   '-', 0,    0,     // 64-79
    0,   '=', '0', '1', '2', '3', '4', '5', '6', '7', 0,   '8', '9', 0,   0,    0,     // 80-95
};

}  // namespace

u32 GetKeyCodeParameter(EventRef event) {
  UInt32 code = 0;
  UInt32 size = 0;
  if (GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, &size, &code) != noErr)
    return 0;
  return size == sizeof code ? code : 0;
}

bool GetKeyName(u32 keyCode, char* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  const char* name = nullptr;
  for (const KeyName& key : kSpecialKeys)
    if (key.code == keyCode) name = key.name;
  char character[2] = {keyCode < 128 ? kUsLayout[keyCode] : char(0), 0};
  if (!name) name = character;
  const size_t length = std::strlen(name);
  const size_t kept = length < capacity ? length : capacity - 1;
  std::memcpy(out, name, kept);
  out[kept] = 0;
  return kept == length;
}
