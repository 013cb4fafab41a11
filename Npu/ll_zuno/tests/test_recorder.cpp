// Test recorder: prints each recorded access the way the EC assembly listing shows the instruction.
#include "test_recorder.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "ll_zuno_binding.h"

namespace {

std::vector<std::string> &RecordedLines()
{
  static std::vector<std::string> lines;
  return lines;
}

const mpool_reloc_info_t *pool_table = nullptr;

std::string Hex(uint32_t value)
{
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
  return text;
}

// " [lsb]" or " [lsb:msb]"; nothing for the whole register.
std::string Range(uint32_t lsb, uint32_t msb)
{
  if (lsb == 0 && msb == 31) {
    return "";
  }
  if (lsb == msb) {
    return " [" + std::to_string(lsb) + "]";
  }
  return " [" + std::to_string(lsb) + ":" + std::to_string(msb) + "]";
}

std::string Unit(uint32_t ip_id, uint32_t reg_id)
{
  return std::to_string(ip_id % 256u) + " " + std::to_string(reg_id % 65536u);
}

void Record(const std::string &line)
{
  RecordedLines().push_back(line);
}

[[noreturn]] void Stop(const std::string &message)
{
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace

namespace test_recorder {

void Reset()
{
  RecordedLines().clear();
  pool_table = nullptr;
}

std::string Text()
{
  std::string text;
  for (const std::string &line : RecordedLines()) {
    text += line + "\n";
  }
  return text;
}

std::vector<std::string> Lines()
{
  return RecordedLines();
}

std::string Asm(std::initializer_list<std::string> lines)
{
  std::string text;
  for (const std::string &line : lines) {
    text += line + "\n";
  }
  return text;
}

void SetPoolTable(const mpool_reloc_info_t *rows)
{
  pool_table = rows;
}

std::string Literal(const std::string &text)
{
  std::string pattern;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
      pattern += '\\';
    }
    pattern += c;
  }
  return pattern;
}

std::string AssertionReport(const std::string &cond)
{
  return Literal("Assertion `" + cond + "' failed.");
}

}  // namespace test_recorder

void RecorderTest::SetUp()
{
  initialize_ec_zuno_base();
  test_recorder::Reset();
}

extern "C" {

void ec_trace_reg_write(uint32_t ip_id, uint32_t reg_id, uint32_t value)
{
  Record("write " + Unit(ip_id, reg_id) + " " + Hex(value));
}

void ec_trace_reg_write_reloc(uint32_t ip_id, uint32_t reg_id, uint32_t base, uint32_t offset)
{
  static const mpool_reloc_info_t no_pools[] = {{nullptr, nullptr, 0, 0, 0}};
  const mpool_reloc_info_t *row = pool_table != nullptr ? pool_table : no_pools;
  while (row->name != nullptr && row->base_addr != static_cast<uint64_t>(base)) {
    ++row;
  }
  if (row->is_absolute != 0) {
    ec_trace_reg_write(ip_id, reg_id, base + offset);
    return;
  }
  if (row->name == nullptr) {
    Stop("ec_trace_reg_write_reloc: no memory pool at " + Hex(base));
  }
  Record("write " + Unit(ip_id, reg_id) + " " + row->name + "(" + Hex(offset) + ")");
}

void ec_trace_reg_writefield(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width, uint32_t value)
{
  uint32_t first = lsb % 256u;
  uint32_t last = (lsb + width - 1u) % 256u;
  std::string range = (first == last) ? "[" + std::to_string(first) + "]"
                                      : "[" + std::to_string(first) + ":" + std::to_string(last) + "]";
  Record("writefield " + std::to_string(ip_id % 256u) + " " + std::to_string(reg_id % 256u) + " " + range + " " +
         Hex(value % 256u));
}

void ec_trace_reg_poll(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width, uint32_t value)
{
  Record("poll " + Unit(ip_id, reg_id) + Range(lsb % 256u, (lsb + width - 1u) % 256u) + " " + Hex(value) + " 100");
}

void ec_trace_comment(const char *text)
{
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line.erase(line.find_last_not_of(" \t\r") + 1);
    bool spaced = line.empty() || line[0] == ' ' || line[0] == '\t';
    Record(";;" + std::string(spaced ? "" : " ") + line);
  }
}

void ec_trace_unsupported(void)
{
  Stop("ec_trace_unsupported: the driver operation cannot be recorded");
}

}  // extern "C"
