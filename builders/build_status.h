// The status texts of a build: what each step is doing, what was left out,
// and why the build failed. Each text goes into the status text the caller
// gave (which may be null) and into the log of the run; tools print the
// host log, the same texts as the terminal shows them (UTF-8).
#pragma once

#include <string>
#include <vector>

class CStaticText;
class CStringBuffer;

// The localized text `messageNumber` with its "%s" filled in order by the
// three texts.
std::string FormatBuildMessage(int messageNumber, const std::string& a = std::string(),
                               const std::string& b = std::string(), const std::string& c = std::string());
// The same message as the terminal shows it (UTF-8), its "%s" filled by
// texts that are UTF-8 already (a name that Mac Roman cannot hold, as the
// project file wrote it).
std::string FormatHostBuildMessage(int messageNumber, const std::string& a = std::string(),
                                   const std::string& b = std::string(), const std::string& c = std::string());

// How a check before a build refuses: false, with the localized message
// `messageNumber` naming `text` in `message` and its terminal form (UTF-8)
// naming `hostText` (null: `text` converted) in `hostMessage`, each when
// given.
bool RefuseBuild(int messageNumber, const std::string& text, CStringBuffer* message, std::string* hostMessage,
                 const std::string* hostText = nullptr);
// The same for a message that names two texts (held as Mac Roman).
bool RefuseBuild(int messageNumber, const std::string& text, const std::string& other, CStringBuffer* message,
                 std::string* hostMessage);

class CBuildStatus {
 public:
  // Starts a run: texts go to `sink` (null: only into the log), the log is
  // emptied.
  void Begin(CStaticText* sink);

  // A progress text as it stands; its terminal form is the text converted,
  // or `hostText` when one is given.
  void Say(const std::string& text, const std::string* hostText = nullptr);
  // The localized text of a step that was left out or an output that was
  // kept; the build goes on.
  void Note(int messageNumber, const std::string& a = std::string(), const std::string& b = std::string());
  // The localized reason of a failure; returns false so that a failing step
  // can end with it. Only the first reason of a run is said.
  bool Fail(int messageNumber, const std::string& a = std::string(), const std::string& b = std::string(),
            const std::string& c = std::string());

  // A reason already written out (such as the refusal of an output name),
  // with its terminal form as Say takes it.
  bool FailWithText(const std::string& text, const std::string* hostText = nullptr);

  [[nodiscard]] bool HasFailed() const { return failed; }
  CStaticText* GetSink() const { return sink; }
  const std::vector<std::string>& GetLog() const { return log; }
  const std::vector<std::string>& GetHostLog() const { return hostLog; }

 private:
  CStaticText* sink = nullptr;
  std::vector<std::string> log;
  std::vector<std::string> hostLog;
  bool failed = false;
};
