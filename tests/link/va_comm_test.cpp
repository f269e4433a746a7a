// TVaComm against real pseudo-terminals, opened in-process.
#include "link/va_comm.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <numeric>

#include "link/posix/va_comm_posix_baud.h"
#include "link/system_errors.h"
#include "pty_fixture.h"

namespace kalvex {
namespace {

using namespace testing_link;

constexpr const char* kPortOpen = "Can't perform this operation while port is open";

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EVaCommError& e) {
    return e.what();
  }
  return "(no error)";
}

int Waiting(int fd) {
  int n = -1;
  ::ioctl(fd, FIONREAD, &n);
  return n;
}

class VaCommTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()); }

  // The port as the drivers set it up: 38400, opened by path.
  std::unique_ptr<TVaComm> OpenPort() {
    auto port = std::make_unique<TVaComm>(ui.dispatcher());
    port->openDevice(pty.path());
    return port;
  }

  Pty pty;
  TestDispatcher ui;
};

TEST(VaCommText, MessagesFillPlaceholdersAsPlainText) {
  namespace m = va_comm_messages;
  EXPECT_EQ(m::Fill(m::kNotFound, {"/dev/x%s%n"}), "Specified device not found (/dev/x%s%n).");
  EXPECT_EQ(m::Fill(m::kCantOpen, {"/dev/%d", "16", "Busy"}),
            "Can't open specified device /dev/%d (Error 16, Busy)");
  EXPECT_EQ(m::WithCode(m::kEventMask, EIO), " Error setting EventMask (5), Input/output error");
  // Only a literal "%d" takes the port number; everything else is kept as typed.
  const struct {
    const char* name;
    int num;
    const char* path;
  } cases[] = {{"COM%d", 3, "COM3"},
               {"/dev/ttyUSB0", 3, "/dev/ttyUSB0"},
               {"/tmp/a%s%n%x%", 7, "/tmp/a%s%n%x%"},
               {"%d-%d", 12, "12-12"},
               {"%%d", 1, "%1"}};
  for (const auto& c : cases) EXPECT_EQ(FormatDeviceName(c.name, c.num), c.path) << c.name;
}

TEST(VaCommText, BaudrateTableAndUserRate) {
  const std::pair<TVaBaudrate, int> table[] = {
      {brUser, 0},      {br110, 110},       {br300, 300},       {br600, 600},
      {br1200, 1200},   {br2400, 2400},     {br4800, 4800},     {br9600, 9600},
      {br14400, 14400}, {br19200, 19200},   {br38400, 38400},   {br56000, 56000},
      {br57600, 57600}, {br115200, 115200}, {br128000, 128000}, {br256000, 256000}};
  for (const auto& [rate, bps] : table) EXPECT_EQ(BaudrateBitsPerSecond(rate), bps) << rate;

  TVaComm port;
  EXPECT_EQ(port.Baudrate(), br1200);
  EXPECT_EQ(port.DeviceName(), "COM%d");
  EXPECT_EQ(port.DevicePath(), "COM0");
  port.SetUserBaudrate(10400);
  EXPECT_EQ(port.Baudrate(), brUser);
  port.SetBaudrate(br38400);
  EXPECT_EQ(port.UserBaudrate(), 0);
}

TEST_F(VaCommTest, OpenFailuresNameThePathAndLeaveThePortClosed) {
  TVaComm port(ui.dispatcher());
  port.SetDeviceName("/dev/kalvex-no-such-port%s");
  EXPECT_EQ(ErrorOf([&] { port.Open(); }),
            "Specified device not found (/dev/kalvex-no-such-port%s).");
  EXPECT_FALSE(port.Active());

  // A plain file opens but is no terminal: the line settings fail and the
  // descriptor is let go again.
  char file[] = "/tmp/kalvex-va-comm-XXXXXX";
  const int fd = ::mkstemp(file);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(ErrorOf([&] { port.openDevice(file); }),
            "Error writing dcb (25), Inappropriate ioctl for device");
  EXPECT_FALSE(port.Active());
  ::unlink(file);

  port.SetDeviceName("/");
  EXPECT_EQ(ErrorOf([&] { port.Open(); }),
            "Can't open specified device / (Error 21, Is a directory)");
  EXPECT_FALSE(port.Active());
}

// A port refused for lack of permission says how to get it, after the
// usual text; other failures stay one line. Root passes every permission
// check, so a real refusal is tried only when not running as root.
TEST_F(VaCommTest, PermissionRefusalExplainsTheDialoutGroup) {
  namespace m = va_comm_messages;
  const std::string denied = m::CantOpenText("/dev/ttyUSB0", EACCES);
  const std::string first =
      "Can't open specified device /dev/ttyUSB0 (Error 13, " + m::PlatformErrorText(EACCES) + ")";
  EXPECT_EQ(denied, first + "\n" + PermissionHint("/dev/ttyUSB0"));
  EXPECT_EQ(m::CantOpenText("/dev/ttyUSB0", EBUSY).find('\n'), std::string::npos);

  if (::geteuid() == 0) return;
  char file[] = "/tmp/kalvex-va-comm-XXXXXX";
  const int fd = ::mkstemp(file);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ::chmod(file, 0);
  TVaComm port(ui.dispatcher());
  EXPECT_EQ(ErrorOf([&] { port.openDevice(file); }), m::CantOpenText(file, EACCES));
  ::unlink(file);
}

TEST_F(VaCommTest, OpenCloseReopenAndExclusiveAccess) {
  auto port = OpenPort();
  EXPECT_TRUE(port->Active());
  int excl = 0;
  ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &excl), 0);
  EXPECT_EQ(excl, 1);

  // A second opener (another program, or root past TIOCEXCL) meets the lock.
  TVaComm other(ui.dispatcher());
  EXPECT_EQ(ErrorOf([&] { other.openDevice(pty.path()); }),
            "Can't open specified device " + pty.path() + " (Error 16, Device or resource busy)");
  EXPECT_FALSE(other.Active());
  EXPECT_EQ(ErrorOf([&] { port->Open(); }), kPortOpen);
  EXPECT_TRUE(port->Active());

  port->Close();
  EXPECT_FALSE(port->Active());
  ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &excl), 0);
  EXPECT_EQ(excl, 0);  // or a non-root reopen fails while the test holds the slave
  port->Close();       // idempotent

  other.openDevice(pty.path());
  EXPECT_TRUE(other.Active());
  other.Close();
  port->Open();
  EXPECT_TRUE(port->Active());
}

TEST_F(VaCommTest, LineSettingsAreRawAndFollowChangesWhileOpen) {
  auto port = OpenPort();
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B38400));
  EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B38400));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);

  // (A pseudo-terminal keeps no parity, so only rate and stop bits show.)
  port->SetBaudrate(br9600);
  port->SetStopbits(sb2);
  ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));

  // K-line rate: not a termios constant.
  port->SetUserBaudrate(10400);
  int bps = 0;
  ASSERT_EQ(posix_baud::ReadRate(pty.slave(), &bps), 0);
  EXPECT_EQ(bps, 10400);
  port->SetBaudrate(br38400);
  ASSERT_EQ(posix_baud::ReadRate(pty.slave(), &bps), 0);
  EXPECT_EQ(bps, 38400);

  // brUser with no user rate would mean B0, a hang-up: refused, the port stays usable.
  EXPECT_EQ(ErrorOf([&] { port->SetBaudrate(brUser); }),
            "Error writing dcb (22), Invalid argument");
  EXPECT_TRUE(port->Active());

  const std::function<void()> needClosed[] = {
      [&] { port->SetDeviceName("/dev/other"); }, [&] { port->SetPortNum(4); },
      [&] { port->SetBuffers(TVaBuffers{}); },    [&] { port->SetMonitorEvents({ceRxChar}); },
      [&] { port->SetDirectWrite(true); },        [&] { port->SetUpdateDCB(false); },
      [&] { port->SetDispatcher({}); },
  };
  for (const auto& change : needClosed) EXPECT_EQ(ErrorOf(change), kPortOpen);
  EXPECT_EQ(port->DeviceName(), pty.path());
}

TEST_F(VaCommTest, DtrIsANoOpOnAPseudoTerminalAndRefusedUnderHandshake) {
  auto port = OpenPort();
  EXPECT_EQ(ErrorOf([&] { port->SetDtr(true); }), "(no error)");
  EXPECT_EQ(ErrorOf([&] { port->SetDtr(false); }), "(no error)");
  TVaFlowControl handshake;
  handshake.ControlDtr = dtrHandshake;
  port->SetFlowControl(handshake);
  EXPECT_EQ(ErrorOf([&] { port->SetDtr(true); }),
            "DTR line updates not allowed when flowcontrol is set to Handshake.");
}

TEST_F(VaCommTest, BytesTravelInOrderAndBinaryCleanBothWays) {
  auto port = OpenPort();
  std::vector<uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  // The control characters a cooked terminal would eat or translate first.
  std::vector<uint8_t> sample = {0x00, 0x0D, 0x11, 0x13, 0xFF, 0x0A, 0x03, 0x7F, 0x1A, 0x04};
  sample.insert(sample.end(), all.begin(), all.end());

  std::vector<uint8_t> received;
  port->setRxHandler([&](size_t count) {
    uint8_t buf[1024];
    const size_t n = port->readBytes(buf, std::min(count, sizeof buf));
    received.insert(received.end(), buf, buf + n);
  });
  pty.Send(sample);
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= sample.size(); }));
  EXPECT_EQ(received, sample);

  const std::vector<uint8_t> line(sample.begin(), sample.begin() + 12);
  EXPECT_EQ(port->writeBytes(line.data(), line.size()), 12u);  // queued, not yet sent
  EXPECT_EQ(port->writeBytes(all.data(), all.size()), all.size());
  std::vector<uint8_t> expected = line;
  expected.insert(expected.end(), all.begin(), all.end());
  EXPECT_EQ(pty.Receive(expected.size()), expected);
}

TEST_F(VaCommTest, DirectWriteSendsWithoutTheWriteThread) {
  TVaComm port(ui.dispatcher());
  port.SetDirectWrite(true);
  port.openDevice(pty.path());
  const uint8_t line[] = {'2', '1', ' ', '0', '1', '\r'};
  EXPECT_EQ(port.WriteBytes(line, sizeof line), sizeof line);
  EXPECT_EQ(pty.Receive(sizeof line), std::vector<uint8_t>(line, line + sizeof line));
}

TEST_F(VaCommTest, WriteLargerThanTheQueueIsRefused) {
  TVaComm port(ui.dispatcher());
  TVaBuffers buffers;
  buffers.WriteSize = 16;
  buffers.WriteTimeout = 0;
  port.SetBuffers(buffers);
  port.openDevice(pty.path());
  const std::vector<uint8_t> big(17, 'x');
  EXPECT_EQ(ErrorOf([&] { port.WriteBytes(big.data(), big.size()); }),
            "Output buffer is full. Please check comm status.");
  EXPECT_EQ(port.WriteBytes(big.data(), 16), 16u);
  EXPECT_EQ(pty.Receive(16).size(), 16u);
  port.Close();
  EXPECT_EQ(port.WriteBytes(big.data(), 16), 0u);
  uint8_t buf[4];
  EXPECT_EQ(port.ReadBytes(buf, sizeof buf), 0u);
}

TEST_F(VaCommTest, CountIsWhatWaitsAndALargerCountComesInParts) {
  auto port = OpenPort();
  std::vector<size_t> counts;
  std::vector<int> waitingAtHandler;
  std::vector<size_t> reads;
  std::vector<uint8_t> received;
  port->setRxHandler([&](size_t count) {
    counts.push_back(count);
    waitingAtHandler.push_back(Waiting(pty.slave()));
    uint8_t buf[1024 + 16];
    // The drivers read into 1024 bytes; the guard bytes must stay untouched.
    std::fill(std::begin(buf), std::end(buf), 0xA5);
    const size_t n = port->readBytes(buf, std::min<size_t>(count, 1024));
    for (size_t i = 1024; i < sizeof buf; ++i) ASSERT_EQ(buf[i], 0xA5);
    reads.push_back(n);
    received.insert(received.end(), buf, buf + n);
  });

  std::vector<uint8_t> five = {'4', '1', ' ', '0', '>'};
  pty.Send(five);
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 5; }));
  ASSERT_FALSE(counts.empty());
  for (size_t i = 0; i < counts.size(); ++i)
    EXPECT_EQ(counts[i], static_cast<size_t>(waitingAtHandler[i]));
  EXPECT_EQ(received, five);

  // More than one read buffer: several notifications, nothing lost.
  std::vector<uint8_t> burst(3000);
  for (size_t i = 0; i < burst.size(); ++i) burst[i] = static_cast<uint8_t>(i * 7);
  received.clear();
  reads.clear();
  counts.clear();
  pty.Send(burst);
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= burst.size(); }));
  EXPECT_EQ(received, burst);
  EXPECT_GE(reads.size(), 3u);
  for (size_t n : reads) EXPECT_LE(n, 1024u);
}

TEST_F(VaCommTest, UnreadBytesWaitForRequestRxNotify) {
  auto port = OpenPort();
  int calls = 0;
  bool consume = false;
  std::vector<uint8_t> received;
  port->setRxHandler([&](size_t count) {
    ++calls;
    if (!consume) return;  // deferred, as the session does while a write is pending
    std::vector<uint8_t> buf(count);
    buf.resize(port->readBytes(buf.data(), buf.size()));
    received.insert(received.end(), buf.begin(), buf.end());
  });
  pty.Send({'O', 'K', '\r'});
  ASSERT_TRUE(ui.RunUntil([&] { return calls == 1; }));
  const size_t postedBefore = ui.posted();
  ui.RunFor(150ms);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ui.posted(), postedBefore);  // parked: nothing is even posted

  consume = true;
  port->requestRxNotify();
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 3; }));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(received, (std::vector<uint8_t>{'O', 'K', '\r'}));
}

TEST_F(VaCommTest, AHandlerThatThrowsDoesNotStopTheNotifications) {
  auto port = OpenPort();
  std::vector<uint8_t> received;
  port->setRxHandler([&](size_t) {
    uint8_t byte = 0;
    if (port->readBytes(&byte, 1) == 1) received.push_back(byte);
    if (received.size() == 1) throw EVaCommError("Read error (5), Input/output error");
  });
  pty.Send({'A', 'B'});
  EXPECT_THROW(ui.RunUntil([&] { return received.size() >= 2; }), EVaCommError);
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 2; }));
  EXPECT_EQ(received, (std::vector<uint8_t>{'A', 'B'}));
}

TEST_F(VaCommTest, CloseInsideTheHandlerAndStaleNotificationsDoNothing) {
  auto port = OpenPort();
  int calls = 0;
  port->setRxHandler([&](size_t) {
    ++calls;
    port->closeDevice();
  });
  pty.Send({'x'});
  ASSERT_TRUE(ui.RunUntil([&] { return calls == 1; }));
  EXPECT_FALSE(port->Active());
  pty.Send({'y'});
  ui.RunFor(100ms);
  EXPECT_EQ(calls, 1);

  // A notification posted before a Close and a reopen finds a new session.
  port->Open();
  port->setRxHandler([&](size_t) { ++calls; });
  ASSERT_TRUE(ui.WaitPosted());  // 'y' is waiting
  port->Close();
  port->Open();
  ASSERT_TRUE(ui.RunUntil([&] { return calls == 2; }));  // only the new session's notification
  ui.RunFor(100ms);
  EXPECT_EQ(calls, 2);

  // One posted for a port that no longer exists.
  pty.Send({'z'});
  port->requestRxNotify();
  ASSERT_TRUE(ui.WaitPosted());
  port.reset();
  ui.RunFor(50ms);
  EXPECT_EQ(calls, 2);
}

TEST_F(VaCommTest, UnplugGivesOneErrorAndThePortCanBeOpenedAgain) {
  auto port = OpenPort();
  std::vector<uint8_t> received;
  std::vector<std::string> errors;
  port->setRxHandler([&](size_t count) {
    std::vector<uint8_t> buf(count);
    buf.resize(port->readBytes(buf.data(), buf.size()));
    received.insert(received.end(), buf.begin(), buf.end());
  });
  port->setErrorHandler([&](const std::string& message) { errors.push_back(message); });
  pty.Send({'4', '1', ' ', '0'});
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 4; }));
  pty.Send({'5', '>'});
  pty.CloseMaster();
  ASSERT_TRUE(ui.RunUntil([&] { return !errors.empty(); }));
  const size_t posted = ui.posted();
  ui.RunFor(200ms);
  EXPECT_EQ(errors, std::vector<std::string>{"Read error (5), Input/output error"});
  EXPECT_EQ(ui.posted(), posted);  // no further wake-ups reach the user-interface thread
  EXPECT_TRUE(port->Active());
  const uint8_t line[] = {'0', '1', '\r'};
  EXPECT_EQ(port->WriteBytes(line, sizeof line), 0u);  // nothing is accepted for a gone device

  port->Close();
  Pty fresh;
  ASSERT_TRUE(fresh.ok());
  port->openDevice(fresh.path());
  fresh.Send({'O', 'K'});
  received.clear();
  ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 2; }));
  EXPECT_EQ(received, (std::vector<uint8_t>{'O', 'K'}));
}

}  // namespace
}  // namespace kalvex
