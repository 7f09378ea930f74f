// Corvex's parameter objects as Tavion drives them through the class functions, and the choice of
// the CD-ROM drive.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "corvex_params.h"

namespace {

using corvex::ChooseDrive;
using corvex::NormalizeDrive;

// An object of `paramsClass`, destroyed with it.
auto Make(const TavionParamsClass* paramsClass) {
  return std::unique_ptr<void, decltype(paramsClass->destroy)>(paramsClass->create(),
                                                               paramsClass->destroy);
}

// The field "Operation", which Tavion's default set writes, read back in range.
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
    const auto object = Make(row.paramsClass);
    EXPECT_STREQ("Operation", row.paramsClass->fields[row.field].name);
    row.paramsClass->setNumber(object.get(), row.field, row.stored);
    EXPECT_EQ(row.expected, row.paramsClass->getNumber(object.get(), row.field))
        << "stored " << row.stored;
  }
}

// A stored drive as the panel and the run see it: normalised (or dropped), then chosen among the
// optical drives.
TEST(CorvexParams, StoredDriveIsNormalisedThenChosenAmongTheOpticalDrives) {
  struct Row {
    const char* stored;
    const char* normalized;
    const char* optical;
    char chosen;
  };
  const Row rows[] = {
      {"", "", "DE", 'D'},       {"d", "D:", "DE", 'D'},  {"E:", "E:", "DE", 'E'},
      {"e:\\", "E:", "DE", 'E'}, {"C:", "C:", "DE", 0},   {"E:", "E:", "", 0},
      {"", "", "", 0},           {"D:\\x", "", "E", 'E'}, {"1:", "", "D", 'D'},
      {"DD", "", "D", 'D'},      {"D:/", "", "D", 'D'},   {"\xC4:", "", "D", 'D'},
      {"CD-ROM", "", "D", 'D'},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.normalized, NormalizeDrive(row.stored)) << row.stored;
    EXPECT_EQ(row.chosen, ChooseDrive(row.stored, row.optical))
        << row.stored << " in " << row.optical;
  }
}

}  // namespace
