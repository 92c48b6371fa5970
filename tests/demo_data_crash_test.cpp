// A process killed in the middle of writing loses nothing it committed and
// leaves a database that SQLite and the relations find consistent.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "demo_data_support.h"
#include "testkit/testkit.h"

namespace pyra::demo {
namespace {

using testing::addBasics;
using testing::customer;
using testing::line;
using testing::order;
using testing::RawDb;

constexpr int kBatch = 20;  // customers per transaction, each with one order of two lines

// The child writes batches forever, reporting each commit on the pipe.
[[noreturn]] void writeBatches(const std::string& folder, int report_fd) {
  try {
    auto db = Database::openFolder(folder);
    for (int32_t committed = 0;;) {
      Database::Transaction t(*db);
      for (int i = 0; i < kBatch; ++i) {
        Customer c = customer(*db, "Batch" + std::to_string(committed + i));
        db->insert(c);
        Order o = order(*db, c.custnumber);
        db->insert(o);
        for (int l = 0; l < 2; ++l) {
          Detail d = line(c.custnumber, o.ordernumber);
          db->insert(d);
        }
      }
      t.commit();
      committed += kBatch;
      if (write(report_fd, &committed, sizeof committed) != sizeof committed) _exit(3);
    }
  } catch (...) {
    _exit(2);
  }
}

TEST(DemoDataCrash, KilledWriterLosesNoCommittedBatch) {
  testkit::TempDir dir;
  {
    auto db = Database::openFolder(dir.path());
    addBasics(*db);
  }
  int32_t reported_total = 0;
  // Kill after different numbers of commits, each time on top of what the
  // previous rounds left.
  for (int round = 0, kill_after = 1; round < 4; ++round, kill_after *= 3) {
    SCOPED_TRACE("round " + std::to_string(round));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(fds[0]);
      writeBatches(dir.path().string(), fds[1]);
    }
    close(fds[1]);
    int32_t committed = 0;
    for (int seen = 0; seen < kill_after;) {
      const ssize_t n = read(fds[0], &committed, sizeof committed);
      ASSERT_EQ(n, ssize_t(sizeof committed)) << "the writer stopped early";
      ++seen;
    }
    // The writer is inside its next batch by now (it never pauses).
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    reported_total += committed;

    RawDb raw(dir.file(Database::kFileName));
    EXPECT_EQ(raw.scalar("PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(raw.rows("PRAGMA foreign_key_check").empty());
    const int64_t customers = std::stoll(raw.scalar("SELECT count(*) FROM Customers"));
    // Every reported commit is there; a batch is there whole or not at all.
    EXPECT_GE(customers, reported_total);
    EXPECT_EQ(customers % kBatch, 0);
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM Orders"), std::to_string(customers));
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM Detail"), std::to_string(2 * customers));
    reported_total = int32_t(customers);
  }
  // The database goes on working after the crashes.
  auto db = Database::openFolder(dir.path());
  Customer c = customer(*db, "After");
  db->insert(c);
  EXPECT_EQ(c.custnumber, reported_total + 1);
}

}  // namespace
}  // namespace pyra::demo
