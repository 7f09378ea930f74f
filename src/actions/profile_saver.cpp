#include "actions/profile_saver.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "actions/action.h"

namespace tavion {

ProfileSaver::ProfileSaver(RegistryStore& store, std::function<void()> failed)
    : store_(store), failed_(std::move(failed)) {
  try {
    worker_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // Without a thread every save is written at once, by the caller.
  }
}

ProfileSaver::~ProfileSaver() {
  if (!worker_.joinable()) return;
  {
    const std::lock_guard guard(lock_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void ProfileSaver::Save(ProfileSnapshot snapshot) {
  if (!worker_.joinable()) {
    Write(snapshot);
    return;
  }
  // A snapshot that is replaced is freed once the worker may take the lock again.
  ProfileSnapshot replaced;
  {
    const std::lock_guard guard(lock_);
    const auto same =
        std::find_if(queue_.begin(), queue_.end(), [&](const ProfileSnapshot& queued) {
          return RegistryNameEqual(queued.keysPath, snapshot.keysPath) &&
                 RegistryNameEqual(queued.profile, snapshot.profile);
        });
    if (same != queue_.end()) {
      if (snapshot.replaces.empty()) snapshot.replaces = std::move(same->replaces);
      replaced = std::exchange(*same, std::move(snapshot));
    } else {
      queue_.push_back(std::move(snapshot));
    }
  }
  wake_.notify_one();
}

void ProfileSaver::Flush() {
  std::unique_lock guard(lock_);
  idle_.wait(guard, [this] { return queue_.empty() && !writing_; });
}

std::vector<std::string> ProfileSaver::TakeFailures() {
  const std::lock_guard guard(lock_);
  return std::exchange(failures_, {});
}

void ProfileSaver::Run() {
  std::unique_lock guard(lock_);
  for (;;) {
    // The queue is emptied before the end, so that the exit loses no save.
    wake_.wait(guard, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;
    const ProfileSnapshot snapshot = std::move(queue_.front());
    queue_.pop_front();
    writing_ = true;
    guard.unlock();
    Write(snapshot);
    guard.lock();
    writing_ = false;
    if (queue_.empty()) idle_.notify_all();
  }
}

void ProfileSaver::Write(const ProfileSnapshot& snapshot) {
  bool saved = false;
  try {
    saved = WriteProfileSnapshot(store_, snapshot);
  } catch (const std::exception&) {
    // The staged form leaves the old profile whole; the failure is told like any other.
  }
  bool tell = false;
  {
    const std::lock_guard guard(lock_);
    const auto earlier = std::find_if(failures_.begin(), failures_.end(), [&](const auto& name) {
      return RegistryNameEqual(name, snapshot.profile);
    });
    if (saved) {
      if (earlier != failures_.end()) failures_.erase(earlier);
    } else if (earlier == failures_.end()) {
      tell = failures_.empty();
      failures_.push_back(snapshot.profile);
    }
  }
  if (tell && failed_) failed_();
}

bool SaveActionsLater(TActionsList& list, const ActionTree& tree, ProfileSaver& saver,
                      std::string_view profile, const SaveActionsOptions& options) {
  if (!list.Modified) return true;
  std::optional<ProfileSnapshot> snapshot = TakeProfileSnapshot(tree, profile, options);
  if (!snapshot) {
    if (options.tellFailure)
      options.tellFailure(SaveActionsErrorText(SavedProfileName(profile, options)));
    return false;
  }
  list.Modified = false;
  saver.Save(std::move(*snapshot));
  return true;
}

bool TakeSaveFailures(ProfileSaver& saver, TActionsList& list, const SaveActionsOptions& options) {
  const std::vector<std::string> failed = saver.TakeFailures();
  if (failed.empty()) return true;
  list.Modified = true;
  if (options.tellFailure)
    for (const std::string& profile : failed) options.tellFailure(SaveActionsErrorText(profile));
  return false;
}

bool SaveActionsNow(TActionsList& list, const ActionTree& tree, ProfileSaver& saver,
                    std::string_view profile, const SaveActionsOptions& options) {
  saver.Flush();
  SaveActionsOptions quiet = options;
  quiet.tellFailure = nullptr;
  TakeSaveFailures(saver, list, quiet);
  if (!SaveActionsLater(list, tree, saver, profile, options)) return false;
  saver.Flush();
  return TakeSaveFailures(saver, list, options);
}

}  // namespace tavion
