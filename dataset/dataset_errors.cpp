#include "dataset/dataset_errors.h"

#include "platform/errors.h"

namespace dataset {

std::string FormatMessage(const char* pattern, std::initializer_list<std::string> arguments) {
  std::string result;
  auto next = arguments.begin();
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's' && next != arguments.end()) {
      result += *next++;
      ++p;
    } else {
      result += *p;
    }
  }
  return result;
}

void DatabaseError(const std::string& message) {
  throw platform::EDatabaseError(message);
}

void DatabaseErrorFmt(const char* pattern, std::initializer_list<std::string> arguments) {
  DatabaseError(FormatMessage(pattern, arguments));
}

}  // namespace dataset
