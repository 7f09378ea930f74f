#pragma once
// A plug-in's parameter object as a Persistent: its properties are the fields of the plug-in's
// TavionParamsClass, built at run time. Portable; what touches the system comes through
// PluginBoundary.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/persistent.h"
#include "tavion_plugin.h"

namespace tavion {

// How the program reads a plug-in's memory without trusting it, and converts its ANSI texts.
class PluginBoundary {
 public:
  virtual ~PluginBoundary() = default;
  // Whether the `size` bytes at `address` can be read now.
  virtual bool Readable(const void* address, std::size_t size) const = 0;
  // Whether `function` points into code that may run.
  virtual bool Runnable(const void* function) const = 0;
  // The zero-terminated ANSI text at `text` as UTF-8, read no further than readable memory and
  // TAVION_TEXT_LIMIT bytes; empty for null or unreadable memory.
  virtual std::string ReadText(const char* text) const = 0;
  virtual std::string AnsiToUtf8(std::string_view ansi) const = 0;
  virtual std::string Utf8ToAnsi(std::string_view utf8) const = 0;
};

class PluginParamsObject;

// A checked copy of a plug-in's class, shared by the objects made with it.
class PluginParamsClass : public std::enable_shared_from_this<PluginParamsClass> {
 public:
  // The class at `address` (an answer of mode 2), checked through `boundary` (not owned; it
  // outlives every class). Null when it is none the program can use: unreadable, structSize
  // too small, more than TAVION_MAX_FIELDS fields, a field of unknown kind or without a name
  // of letters and digits, two fields of one name (ignoring case), a function missing that
  // its fields need or pointing outside code. `owner` (the plug-in's module) is kept while the
  // class or one of its objects lives.
  static std::shared_ptr<const PluginParamsClass> Check(const void* address,
                                                        const PluginBoundary& boundary,
                                                        std::shared_ptr<const void> owner);

  // A new object with the plug-in's defaults; null when `create` made none.
  std::unique_ptr<PluginParamsObject> Create() const;

  std::span<const Property> Properties() const { return properties_; }
  const TavionParamsClass& Raw() const { return raw_; }
  const PluginBoundary& Boundary() const { return *boundary_; }

 private:
  PluginParamsClass() = default;

  TavionParamsClass raw_{};
  const PluginBoundary* boundary_ = nullptr;
  std::shared_ptr<const void> owner_;
  std::vector<std::string> names_;
  std::vector<Property> properties_;  // names point into names_
};

// One object of a plug-in's class; the destructor gives it to the class's `destroy`.
class PluginParamsObject final : public Persistent {
 public:
  PluginParamsObject(std::shared_ptr<const PluginParamsClass> cls, void* object);
  ~PluginParamsObject() override;
  PluginParamsObject(const PluginParamsObject&) = delete;
  PluginParamsObject& operator=(const PluginParamsObject&) = delete;

  std::span<const Property> Properties() const override { return class_->Properties(); }
  // The plug-in's own object, as its functions take it.
  void* Object() const { return object_; }
  const PluginParamsClass& Class() const { return *class_; }

 private:
  std::shared_ptr<const PluginParamsClass> class_;
  void* object_;
};

// Sets the integer or boolean property `name` (ignoring case) of `params`; false when it has
// none.
bool SetPluginParamNumber(Persistent& params, std::string_view name, int32_t value);

}  // namespace tavion
