// Records waybills one after the other as a station would, for the tests that
// run several of it or kill it: journal_writer FOLDER SERVER STATION COUNT
// (COUNT 0: until killed).  Prints each entry's uid once it is committed and
// its tracking number set.
#include "journal_test_util.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 5) return 2;
    hoxa::Journal journal({argv[1], argv[2]});
    const std::string station = argv[3];
    for (int i = 0, count = std::atoi(argv[4]); count == 0 || i < count; ++i) {
        std::vector<hoxa::JournalEntry> e{hoxa::test::SampleEntry(i)};
        e[0].station = station;
        e[0].order.orderId = station + "-" + std::to_string(i);
        journal.Commit(journal.Prepare(e).ids, i + 1);
        journal.SetTracking(e[0].id, "123456789013");
        std::printf("%s\n", e[0].uid.c_str());
        std::fflush(stdout);
    }
}
