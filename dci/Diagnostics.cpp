// Diagnostics record queues of the built-in driver.
#include "dci/Diagnostics.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

#include "dci/SqlText.h"

namespace dci {

void DiagQueue::add(const char* state, int32_t native, std::string message) {
  assert(state != nullptr && std::strlen(state) == 5);
  DiagRecord record;
  std::memcpy(record.state, state, 5);
  record.state[5] = '\0';
  record.native = native;
  record.message = std::move(message);
  records_.push_back(std::move(record));
}

DciReturn DiagQueue::pop(char* state, int32_t* native, char* message, int16_t messageMax,
                         int16_t* messageLength) {
  if (records_.empty()) return SQL_NO_DATA_FOUND;
  const DiagRecord& record = records_.front();
  if (state != nullptr) std::memcpy(state, record.state, sizeof record.state);
  if (native != nullptr) *native = record.native;
  bool cut = copyText(record.message.data(), record.message.size(), message, messageMax);
  if (messageLength != nullptr) {
    *messageLength = static_cast<int16_t>(std::min<std::size_t>(record.message.size(), INT16_MAX));
  }
  records_.pop_front();
  return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

}  // namespace dci
