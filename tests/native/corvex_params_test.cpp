// Corvex's parameter objects as Tavion drives them through the class functions, and the choice of
// the CD-ROM drive.
#include <gtest/gtest.h>

#include <string>

#include "corvex_params.h"

namespace {

using corvex::ChooseDrive;
using corvex::NormalizeDrive;

// An object of `paramsClass`, destroyed with it.
class Object {
 public:
  explicit Object(const TavionParamsClass* paramsClass)
      : class_(paramsClass), object_(paramsClass->create()) {}
  ~Object() { class_->destroy(object_); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  void* get() const { return object_; }

 private:
  const TavionParamsClass* class_;
  void* object_;
};

TEST(CorvexParams, ClassesDescribeTheFieldsTheDefaultSetWrites) {
  const TavionParamsClass* cd = corvex::CdParamsClass();
  ASSERT_EQ(2u, cd->fieldCount);
  EXPECT_STREQ("Drive", cd->fields[0].name);
  EXPECT_EQ(TAVION_FIELD_STRING, cd->fields[0].kind);
  EXPECT_STREQ("Operation", cd->fields[1].name);
  EXPECT_EQ(TAVION_FIELD_INTEGER, cd->fields[1].kind);
  const TavionParamsClass* power = corvex::PowerParamsClass();
  ASSERT_EQ(1u, power->fieldCount);
  EXPECT_STREQ("Operation", power->fields[0].name);
  EXPECT_EQ(sizeof(TavionParamsClass), power->structSize);
}

TEST(CorvexParams, LoadedOperationsOutOfRangeFallBackToTheFirst) {
  struct Row {
    const TavionParamsClass* paramsClass;
    uint32_t field;
    int32_t stored;
    int32_t expected;
  };
  const Row rows[] = {
      {corvex::CdParamsClass(), 1, 1, 1},
      {corvex::CdParamsClass(), 1, 2, 0},
      {corvex::CdParamsClass(), 1, -1, 0},
      {corvex::PowerParamsClass(), 0, 2, 2},
      {corvex::PowerParamsClass(), 0, 1, 1},
      {corvex::PowerParamsClass(), 0, 7, 0},
      {corvex::PowerParamsClass(), 0, INT32_MIN, 0},
  };
  for (const Row& row : rows) {
    Object object(row.paramsClass);
    row.paramsClass->setNumber(object.get(), row.field, row.stored);
    EXPECT_EQ(row.expected, row.paramsClass->getNumber(object.get(), row.field))
        << "stored " << row.stored;
  }
}

TEST(CorvexParams, DriveTextIsNormalisedOrDropped) {
  const std::pair<const char*, const char*> rows[] = {
      {"", ""},   {"d", "D:"}, {"D:", "D:"}, {"e:\\", "E:"}, {"D:\\x", ""},  {"1:", ""},
      {"DD", ""}, {"D\\", ""}, {"D:/", ""},  {"\xC4:", ""},  {"CD-ROM", ""},
  };
  for (const auto& [stored, expected] : rows) EXPECT_EQ(expected, NormalizeDrive(stored)) << stored;
}

TEST(CorvexParams, DriveStringCrossesTheInterfaceWithItsBound) {
  const TavionParamsClass* cd = corvex::CdParamsClass();
  Object object(cd);
  cd->setString(object.get(), 0, "f:\\");
  char wide[8] = "xxxxxxx";
  EXPECT_EQ(2u, cd->getString(object.get(), 0, wide, sizeof(wide)));
  EXPECT_STREQ("F:", wide);
  char narrow[2] = "x";  // room for one character and the terminator
  EXPECT_EQ(2u, cd->getString(object.get(), 0, narrow, sizeof(narrow)));
  EXPECT_STREQ("F", narrow);
  cd->setString(object.get(), 0, nullptr);
  EXPECT_EQ(0u, cd->getString(object.get(), 0, wide, sizeof(wide)));
  EXPECT_STREQ("", wide);
}

TEST(CorvexParams, DriveChoiceTakesTheStoredOpticalDriveOrTheFirst) {
  struct Row {
    const char* stored;
    const char* optical;
    char expected;
  };
  const Row rows[] = {
      {"", "DE", 'D'}, {"E:", "DE", 'E'}, {"garbage", "DE", 'D'},
      {"C:", "DE", 0}, {"", "", 0},       {"E:", "", 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, ChooseDrive(row.stored, row.optical))
        << row.stored << " among " << row.optical;
}

}  // namespace
