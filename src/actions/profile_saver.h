#pragma once
// Saving profiles on a thread of their own, so that the user-interface thread only takes a
// snapshot of the list (a few milliseconds) instead of waiting for the registry (seconds for a
// large profile). Portable.
//
// One worker writes the snapshots one after the other, each in the crash-safe staged form of
// WriteProfileSnapshot. Only the latest snapshot of a profile matters, so a newer one takes the
// place of one that has not started. A failure is kept for the user-interface thread, which is
// told through a callback and takes it with TakeSaveFailures; whatever must read a saved profile
// flushes first.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "actions/actions_registry.h"

namespace tavion {

class ProfileSaver {
 public:
  // `store` is used by the worker alone from now on, and must outlive the saver. `failed` runs on
  // the worker when a save fails while no earlier failure waits to be taken; it should only post
  // to the user-interface thread.
  ProfileSaver(RegistryStore& store, std::function<void()> failed);
  // Writes what is queued before it returns: no save is lost at exit.
  ~ProfileSaver();
  ProfileSaver(const ProfileSaver&) = delete;
  ProfileSaver& operator=(const ProfileSaver&) = delete;

  // Queues `snapshot`, in place of a queued snapshot of the same profile that has not started
  // (whose replaced profile it takes over when it replaces none).
  // Without a worker (the system gave no thread) it is written at once.
  void Save(ProfileSnapshot snapshot);
  // Waits until every queued snapshot is written.
  void Flush();
  // The profiles whose latest save failed, once each, in the order they failed; a later save of
  // the same profile that succeeds takes its failure back.
  std::vector<std::string> TakeFailures();

 private:
  void Run();
  // Writes `snapshot` and records the outcome; the lock is not held.
  void Write(const ProfileSnapshot& snapshot);

  RegistryStore& store_;
  std::function<void()> failed_;
  std::mutex lock_;
  std::condition_variable wake_;  // the worker: something queued, or the end
  std::condition_variable idle_;  // Flush: nothing queued or being written
  std::deque<ProfileSnapshot> queue_;
  bool writing_ = false;
  bool stopping_ = false;
  std::vector<std::string> failures_;
  std::thread worker_;  // last: it starts once the members above exist
};

// As SaveActions, with the writing left to `saver`: unless the list is not marked modified, takes
// a snapshot, clears `Modified` and queues it. False, after telling `tellFailure`, only when
// `profile` names no key; the failure of a write comes later (TakeSaveFailures).
bool SaveActionsLater(TActionsList& list, const ActionTree& tree, ProfileSaver& saver,
                      std::string_view profile, const SaveActionsOptions& options);

// Takes the saver's failures: the list is marked modified again, so that the next save writes
// it, and `tellFailure` is told once per failed profile. False when there was one.
bool TakeSaveFailures(ProfileSaver& saver, TActionsList& list, const SaveActionsOptions& options);

// Saves the list now, for what must read the saved profile next: waits for the saves in progress
// (a failure among them only marks the list modified, so this save writes it again), saves the
// list when modified and waits for it. False when the last save failed (told once).
bool SaveActionsNow(TActionsList& list, const ActionTree& tree, ProfileSaver& saver,
                    std::string_view profile, const SaveActionsOptions& options);

}  // namespace tavion
