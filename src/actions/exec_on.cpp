#include "actions/exec_on.h"

#include "actions/masks.h"
#include "base/comma_text.h"

namespace tavion {
namespace {

bool IsAbsent(std::string_view entry) {
  return entry.empty() || entry == kAbsentWindowEntry;
}

// One pair of entries, prepared to be matched against many windows: its masks are built once.
class WindowPattern {
 public:
  WindowPattern(uint8_t flags, std::string_view classEntry, std::string_view captionEntry)
      : flags_(flags),
        classAbsent_(IsAbsent(classEntry)),
        captionAbsent_(IsAbsent(captionEntry)),
        class_(classAbsent_ ? std::string_view() : classEntry),
        caption_(captionAbsent_ ? std::string_view() : captionEntry) {
    if (flags_ & kMatchMasks) {
      classMask_ = TMask::Create(class_);
      captionMask_ = TMask::Create(caption_);
    }
  }

  bool Matches(std::string_view windowClass, std::string_view windowCaption) const {
    const bool mayBeAbsent = (flags_ & kMatchAbsent) != 0;
    if (mayBeAbsent && (classAbsent_ || class_ == windowClass) &&
        (captionAbsent_ || caption_ == windowCaption))
      return true;
    if (flags_ & kMatchMasks) {
      if (!(classAbsent_ && mayBeAbsent) && !(classMask_ && classMask_->Matches(windowClass)))
        return false;
      if (captionAbsent_ && mayBeAbsent) return true;
      return captionMask_ && captionMask_->Matches(windowCaption);
    }
    return class_ == windowClass && caption_ == windowCaption;
  }

 private:
  uint8_t flags_;
  bool classAbsent_;
  bool captionAbsent_;
  std::string_view class_;
  std::string_view caption_;
  std::optional<TMask> classMask_;
  std::optional<TMask> captionMask_;
};

std::string EntryOrAbsent(std::string_view entry) {
  return std::string(entry.empty() ? kAbsentWindowEntry : entry);
}

}  // namespace

bool MatchWindowTexts(uint8_t flags, std::string_view classEntry, std::string_view captionEntry,
                      std::string_view windowClass, std::string_view windowCaption) {
  return WindowPattern(flags, classEntry, captionEntry).Matches(windowClass, windowCaption);
}

namespace {

template <std::string (TMyWindow::*Get)() const, void (TMyWindow::*Set)(std::string_view)>
constexpr Property CommaTextProperty(std::string_view name) {
  return {.name = name,
          .kind = PropertyKind::kString,
          .getString = [](const Persistent& o,
                          const Property&) { return (static_cast<const TMyWindow&>(o).*Get)(); },
          .setString = [](Persistent& o, const Property&,
                          std::string text) { (static_cast<TMyWindow&>(o).*Set)(text); }};
}

}  // namespace

extern constexpr Property kWindowClassesProperty =
    CommaTextProperty<&TMyWindow::WCls, &TMyWindow::SetWCls>("WCls");
extern constexpr Property kWindowCaptionsProperty =
    CommaTextProperty<&TMyWindow::WCap, &TMyWindow::SetWCap>("WCap");

std::span<const Property> TMyWindow::Properties() const {
  static constexpr Property kProperties[] = {kWindowClassesProperty, kWindowCaptionsProperty};
  return kProperties;
}

std::string TMyWindow::WCls() const {
  return ListToCommaText(classes_);
}

std::string TMyWindow::WCap() const {
  return ListToCommaText(captions_);
}

void TMyWindow::SetWCls(std::string_view commaText) {
  classes_ = CommaTextToList(commaText);
}

void TMyWindow::SetWCap(std::string_view commaText) {
  captions_ = CommaTextToList(commaText);
}

void TMyWindow::AddWindow(std::string_view windowClass, std::string_view caption) {
  if (!(matchFlags_ & kMatchSeveral)) {
    classes_.clear();
    captions_.clear();
  }
  // Keep entry i of both lists together, whatever lengths the stored lists had.
  captions_.resize(classes_.size(), std::string(kAbsentWindowEntry));
  classes_.push_back(EntryOrAbsent(windowClass));
  captions_.push_back(EntryOrAbsent(caption));
}

bool TMyWindow::DeleteWindow(std::size_t i) {
  if (i >= classes_.size()) return false;
  classes_.erase(classes_.begin() + static_cast<std::ptrdiff_t>(i));
  if (i < captions_.size()) captions_.erase(captions_.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

std::optional<WindowEntry> TMyWindow::GetWindow(std::size_t i) const {
  if (i >= classes_.size()) return std::nullopt;
  return WindowEntry{classes_[i], std::string(CaptionEntry(i))};
}

std::string_view TMyWindow::CaptionEntry(std::size_t i) const {
  return i < captions_.size() ? std::string_view(captions_[i]) : kAbsentWindowEntry;
}

bool TMyWindow::MatchWindow(std::string_view classEntry, std::string_view captionEntry,
                            WindowHandle window, const WindowSystem& system) const {
  return MatchWindowTexts(matchFlags_, classEntry, captionEntry, system.ClassName(window),
                          system.Caption(window));
}

std::optional<WindowHandle> TMyWindow::FirstNamedWindow(std::span<const WindowHandle> windows,
                                                        const WindowSystem& system) const {
  // Each window's texts are read once, when a pair first looks at it.
  std::vector<std::optional<WindowEntry>> texts(windows.size());
  for (std::size_t i = 0; i < classes_.size(); ++i) {
    const WindowPattern pattern(matchFlags_, classes_[i], CaptionEntry(i));
    for (std::size_t w = 0; w < windows.size(); ++w) {
      std::optional<WindowEntry>& text = texts[w];
      if (!text) text = WindowEntry{system.ClassName(windows[w]), system.Caption(windows[w])};
      if (pattern.Matches(text->windowClass, text->caption)) return windows[w];
    }
  }
  return std::nullopt;
}

std::span<const Property> TActionExecOnWItem::Properties() const {
  static constexpr Property kProperties[] = {kWindowClassesProperty, kWindowCaptionsProperty,
                                             BooleanField<&TActionExecOnWItem::Enbl>("Enbl")};
  return kProperties;
}

bool TActionExecOnWItem::IfActive(const WindowSystem& system) const {
  if (!Enbl) return true;
  const WindowHandle foreground = system.ForegroundWindow();
  return FirstNamedWindow({&foreground, 1}, system).has_value();
}

bool TActionExecOnWItem::IfNotActive(const WindowSystem& system) const {
  return !Enbl || !IfActive(system);
}

bool TActionExecOnWItem::IfExists(WindowSystem& system, bool activate) const {
  if (!Enbl || ListsEmpty()) return true;
  const std::optional<WindowHandle> found = FirstNamedWindow(system.TopLevelWindows(), system);
  if (!found) return false;
  // The condition holds because the window exists; failing to raise it changes nothing.
  if (activate) system.BringToForeground(*found);
  return true;
}

bool TActionExecOnWItem::IfNotExists(const WindowSystem& system) const {
  if (!Enbl) return true;
  return !ListsEmpty() && !FirstNamedWindow(system.TopLevelWindows(), system).has_value();
}

std::span<const Property> TActionExecOn::Properties() const {
  static constexpr Property kProperties[] = {
      BooleanField<&TActionExecOn::Blck>("Blck"),
      BooleanField<&TActionExecOn::Thrd>("Thrd"),
      BooleanField<&TActionExecOn::nOSD>("nOSD"),
      BooleanField<&TActionExecOn::Nevr>("Nevr"),
      BooleanField<&TActionExecOn::MBox>("MBox"),
      BooleanField<&TActionExecOn::MSwa>("MSwa"),
      ObjectField<&TActionExecOn::IfWa>("IfWa"),
      ObjectField<&TActionExecOn::IfWi>("IfWi"),
      ObjectField<&TActionExecOn::IfWe>("IfWe"),
      ObjectField<&TActionExecOn::IfNW>("IfNW"),
      ObjectField<&TActionExecOn::StFW>("StFW"),
      BooleanField<&TActionExecOn::StFD>("StFD"),
      IntegerField<&TActionExecOn::Lang>("Lang"),
      IntegerField<&TActionExecOn::SetLangAfter>("SetLangAfter"),
      ClampedIntegerField<&TActionExecOn::Rept, 0, kMaxRept>("Rept"),
      BooleanField<&TActionExecOn::DontBlockHotKey>("DontBlockHotKey"),
      BooleanField<&TActionExecOn::ExecOnRepeat>("ExecOnRepeat"),
      BooleanField<&TActionExecOn::ModOnlyL>("ModOnlyL"),
      BooleanField<&TActionExecOn::ModOnlyR>("ModOnlyR"),
  };
  return kProperties;
}

}  // namespace tavion
