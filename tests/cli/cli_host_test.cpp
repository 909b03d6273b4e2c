#include "cli/cli_host.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace accprep {
namespace {

TEST(TerminalHost, CaptionsAreLinesOnTheErrorOutputAndTheMessageEndsTheStandardOutput) {
  std::ostringstream out, err;
  TerminalHost host({out, err, /*showProgress=*/false});
  host.SetStatusCaption(kStatusReading);
  host.SetStartEnabled(false);
  host.SetProgressMaximum(3.0f);
  host.SetStatusCaption(kStatusWriting);
  for (float row = 1; row <= 3; ++row) host.SetProgressValue(row);
  host.SetDialogInitialFolder("/opt/accprep");
  host.SetStatusCaption(kStatusFinished);
  host.ShowMessage(kDoneMessage);
  // No bar and no control characters when the error output is not a terminal.
  EXPECT_EQ(err.str(), "読み込み中\n書き出し中\n終了\n");
  EXPECT_EQ(out.str(), "done\n");
}

TEST(TerminalHost, OnATerminalTheBarIsClearedBeforeEachCaptionAndTheMessage) {
  std::ostringstream out, err;
  TerminalHost host({out, err, /*showProgress=*/true});
  host.SetStatusCaption(kStatusReading);
  host.SetProgressMaximum(2.0f);
  host.SetStatusCaption(kStatusWriting);
  host.SetProgressValue(1.0f);
  host.SetProgressValue(2.0f);
  host.SetStatusCaption(kStatusPublic);
  host.SetProgressValue(1.0f);
  host.ShowMessage(kDoneMessage);
  EXPECT_EQ(err.str(),
            "読み込み中\n書き出し中\n"
            "\r[###############               ]  50%  1/2\x1b[K"
            "\r[##############################] 100%  2/2\x1b[K"
            "\r\x1b[K公開データを作成\n"
            "\r[###############               ]  50%  1/2\x1b[K"
            "\r\x1b[K");
  EXPECT_EQ(out.str(), "done\n");
}

TEST(TerminalHost, ClearProgressLeavesACleanLineAfterAFailure) {
  std::ostringstream out, err;
  TerminalHost host({out, err, /*showProgress=*/true});
  host.SetProgressMaximum(4.0f);
  host.SetProgressValue(1.0f);
  host.ClearProgress();
  EXPECT_TRUE(err.str().ends_with("1/4\x1b[K\r\x1b[K"));
  const std::size_t length = err.str().size();
  host.ClearProgress();  // nothing drawn any more
  EXPECT_EQ(err.str().size(), length);
}

}  // namespace
}  // namespace accprep
