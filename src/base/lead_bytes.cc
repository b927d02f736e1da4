#include "base/lead_bytes.h"

const LeadByteTable& NoLeadBytes() {
  static const LeadByteTable table{};
  return table;
}
