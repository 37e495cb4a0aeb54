#include "StoreFixture.h"

namespace {

class UpdateIdentity : public StoreFixture {};

// An UPDATE writes the fields that changed and nothing else: every other byte of the file,
// other fields and other records alike, stays as it was.
TEST_F(UpdateIdentity, OnlyTheChangedFieldsBytesMove) {
    exec("create table main (code integer, fio char(100), ves double, d date, note memo)");
    for (int i = 1; i <= 5; ++i)
        exec(QStringLiteral("insert into main values (%1, 'Пациент %1', %1.5, '2020-01-0%1', 'заметка %1')").arg(i));
    const QByteArray dbfBefore = fileBytes("main.dbf");
    const QByteArray fptBefore = fileBytes("main.fpt");

    exec("update main set ves=99.25 where code=3");
    const QByteArray dbfAfter = fileBytes("main.dbf");
    ASSERT_EQ(dbfAfter.size(), dbfBefore.size());
    int first = -1, last = -1;
    for (int i = 0; i < dbfAfter.size(); ++i)
        if (dbfAfter[i] != dbfBefore[i]) {
            if (first < 0) first = i;
            last = i;
        }
    ASSERT_GE(first, 0);
    EXPECT_LE(last - first, 7) << "only the 8 bytes of one double may change";
    EXPECT_EQ(fileBytes("main.fpt"), fptBefore) << "the memo was not touched";

    // Setting a field to the value it holds writes nothing at all, memos included.
    const QByteArray fptMid = fileBytes("main.fpt");
    for (int i = 0; i < 5; ++i) exec("update main set note='заметка 2', fio='Пациент 2' where code=2");
    EXPECT_EQ(fileBytes("main.dbf"), dbfAfter);
    EXPECT_EQ(fileBytes("main.fpt"), fptMid);
    EXPECT_EQ(rows("select ves, note from main where code=3"), QStringList{"99.25|заметка 3"});
}

}  // namespace
