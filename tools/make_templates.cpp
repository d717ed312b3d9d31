// Makes the stand-ins of the template tree "ss_data" that the screen-saver
// builders copy and patch. The real player engines, plug-in and installer
// stubs are separate programs; these small files stand in for them so that
// every build can be made and checked here.
//
//   gb_make_templates <ss_data folder> <pictures folder>
//
// The pictures folder holds what tools/draw_pictures.cpp drew: the
// installers' default picture and the icon family.
//
// ss/u/fssx                 Mac engine stand-in (a shell script): it holds
//                           the 24-byte name placeholder at an aligned and
//                           at unaligned offsets, and runs of 'X' that are
//                           no placeholder and must stay as they are
// ss/u/Flash Player.plugin/ player plug-in stand-in (a small bundle tree)
// ss/u/English.lproj/, ss/u/French.lproj/   language folders
// ss/u/README               a file that is no language folder
// ss/u/fprx/                the player plug-in stand-in of a first-generation
//                           saver that is not universal
// ss/w/ssdt.dat             Windows engine stand-in
// ssin/u/Installer          Mac installer executable stand-in (a shell script)
// ssin/u/installer.icns     its icon (the application's icon family)
// ssin/u/splash.png         the installer's default picture, 300 x 200
// ssin/u/English.lproj/     its language folder
// ssin/w/ssin.dat           Windows single-file installer stub stand-in
// ssin/l/                   the Linux installer stub folder, empty (no build reads it)
// fp/English.lproj/         the projector's language folder
// fp/Flash Player.plugin/   its player plug-in stand-in
// fp/app.icns               its standard icon (the application's icon family)
// fp/p/, fp/i/, fp/u/DurivUzuzevuvo   the Mac projector player stand-ins of the
//                           PowerPC, Intel and universal projectors (shell scripts)
// fp/w/fpx.dat              the Windows projector player stand-in
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const char kPlaceholder[] = "XXXXXXXXXXXXXXXXZZZZZZZZ";

bool WriteText(const fs::path& path, const std::string& text, bool executable = false) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "gb_make_templates: cannot write %s\n", path.c_str());
    return false;
  }
  if (executable) chmod(path.c_str(), 0755);
  return true;
}

// Appends `line` so that the text `marker` inside it starts at an offset
// whose remainder by 4 is `remainder`, padding the line's start with blanks.
void AppendAt(std::string& text, const std::string& lead, const std::string& marker, size_t remainder,
              const std::string& tail) {
  std::string line = lead;
  while ((text.size() + line.size()) % 4 != remainder) line += ' ';
  text += line + marker + tail + "\n";
}

std::string EngineText() {
  std::string text =
      "#!/bin/sh\n"
      "# Glimmerbox stand-in for the Mac screen-saver engine \"fssx\".\n"
      "# The real engine is a separate program that goes in its place; the\n"
      "# builder only copies it and writes the saver's unique name over each\n"
      "# placeholder below.\n"
      "echo \"stand-in screen-saver engine\"\n"
      "exit 0\n";
  // The principal class name, as the engine stores it: "OxSS" + placeholder.
  AppendAt(text, "# class OxSS", kPlaceholder, 0, "");
  AppendAt(text, "# bundle id ", kPlaceholder, 1, " (unaligned)");
  AppendAt(text, "# name ", kPlaceholder, 3, " (unaligned)");
  // Runs of 'X' that are no placeholder.
  AppendAt(text, "# decoy ", std::string(17, 'X') + "ZZZZZZZZ", 0, "");
  AppendAt(text, "# decoy ", std::string(15, 'X') + "ZZZZZZZZ", 2, "");
  AppendAt(text, "# decoy ", std::string(16, 'X') + "ZZZZZZZY", 0, "");
  AppendAt(text, "# decoy ", std::string(120, 'X') + kPlaceholder, 0, "");
  AppendAt(text, "# decoy ", std::string(40, 'X'), 0, "");
  return text;
}

std::string PluginInfoPlist() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<plist version=\"1.0\">\n"
         "<dict>\n"
         "\t<key>CFBundleExecutable</key>\n"
         "\t<string>Flash Player</string>\n"
         "\t<key>CFBundlePackageType</key>\n"
         "\t<string>BNDL</string>\n"
         "</dict>\n"
         "</plist>\n";
}

// A Windows program stand-in: the "MZ" mark, then what it stands for.
std::string WindowsProgram(const std::string& what) {
  std::string text = "MZ";
  text += std::string(58, '\0');
  text += "Glimmerbox stand-in for " + what + ".\r\n";
  text += "The real program goes in its place; it reads the data archive at the end of its own file.\r\n";
  text += std::string(64, '\0');
  return text;
}

std::string ProjectorPlayerText(const std::string& architecture) {
  return "#!/bin/sh\n"
         "# Glimmerbox stand-in for the " + architecture + " Mac projector player.\n"
         "# The real player is a separate program that goes in its place; it\n"
         "# plays the movies that \"fp.dat\" among its bundle's resources names.\n"
         "echo \"stand-in projector player\"\n"
         "exit 0\n";
}

// A player plug-in stand-in (a small bundle tree) under `plugin`.
bool WritePlugin(const fs::path& plugin) {
  const fs::path contents = plugin / "Contents";
  bool good = WriteText(contents / "Info.plist", PluginInfoPlist());
  good = WriteText(contents / "MacOS" / "Flash Player", "#!/bin/sh\n# Stand-in for the player plug-in.\nexit 0\n",
                   true) &&
         good;
  return WriteText(contents / "Resources" / "English.lproj" / "InfoPlist.strings",
                   "CFBundleName = \"Flash Player\";\n") &&
         good;
}

std::string InstallerText() {
  return "#!/bin/sh\n"
         "# Glimmerbox stand-in for the Mac installer executable \"Installer\".\n"
         "# The real installer is a separate program that goes in its place; it\n"
         "# reads \"installer.dat\", \"icd0.dat\" and the data files among its\n"
         "# bundle's resources and installs the screen saver.\n"
         "echo \"stand-in installer\"\n"
         "exit 0\n";
}

bool CopyPicture(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::create_directories(to.parent_path(), error);
  if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, error)) return true;
  std::fprintf(stderr, "gb_make_templates: cannot copy %s to %s\n", from.c_str(), to.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: gb_make_templates <ss_data folder> <pictures folder>\n");
    return 2;
  }
  const fs::path base(argv[1]);
  const fs::path pictures(argv[2]);
  const fs::path engines = base / "ss";
  const fs::path installers = base / "ssin";
  const fs::path projector = base / "fp";
  std::error_code error;
  fs::remove_all(engines, error);
  fs::remove_all(installers, error);
  fs::remove_all(projector, error);

  const fs::path u = engines / "u";
  bool good = WriteText(u / "fssx", EngineText(), true);
  good = WritePlugin(u / "Flash Player.plugin") && good;
  good = WritePlugin(u / "fprx") && good;
  good = WriteText(u / "English.lproj" / "Localizable.strings", "\"saver\" = \"Screen saver\";\n") && good;
  good = WriteText(u / "French.lproj" / "Localizable.strings", "\"saver\" = \"Economiseur d'ecran\";\n") && good;
  good = WriteText(u / "README",
                   "Stand-ins of the Mac screen-saver templates. Put the real engine \"fssx\",\n"
                   "the player plug-in and the language folders here in their place.\n") &&
         good;
  good = WriteText(engines / "w" / "ssdt.dat", WindowsProgram("the Windows screen-saver engine \"ssdt.dat\"")) && good;

  const fs::path mac = installers / "u";
  good = WriteText(mac / "Installer", InstallerText(), true) && good;
  good = CopyPicture(pictures / "app.icns", mac / "installer.icns") && good;
  good = CopyPicture(pictures / "installer_splash.png", mac / "splash.png") && good;
  good = WriteText(mac / "English.lproj" / "Localizable.strings",
                   "\"install\" = \"Install the screen saver\";\n") &&
         good;
  good = WriteText(installers / "w" / "ssin.dat",
                   WindowsProgram("the Windows single-file installer stub \"ssin.dat\"")) &&
         good;
  fs::create_directories(installers / "l", error);
  good = !error && good;

  good = WriteText(projector / "English.lproj" / "Localizable.strings", "\"projector\" = \"Projector\";\n") && good;
  good = WritePlugin(projector / "Flash Player.plugin") && good;
  good = CopyPicture(pictures / "app.icns", projector / "app.icns") && good;
  const struct {
    const char* folder;
    const char* architecture;
  } players[] = {{"p", "PowerPC"}, {"i", "Intel"}, {"u", "universal"}};
  for (const auto& player : players)
    good = WriteText(projector / player.folder / "DurivUzuzevuvo", ProjectorPlayerText(player.architecture), true) &&
           good;
  good = WriteText(projector / "w" / "fpx.dat", WindowsProgram("the Windows projector player \"fpx.dat\"")) && good;
  return good ? 0 : 1;
}
