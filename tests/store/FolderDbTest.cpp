#include "StoreFixture.h"

#include "EngineError.h"
#include "TDbTable.h"

namespace {

class FolderDb : public StoreFixture {
protected:
    void SetUp() override {
        exec("create table main (code integer, fio char(100))");
        exec("insert into main (code, fio) values (1, 'Первый')");
        exec("insert into main (code, fio) values (2, 'Второй')");
    }
};

TEST_F(FolderDb, HolderSlotsAreFilledOnceAndReused) {
    TFolderDB db(folder());
    TMyQuerySlot plain;
    db.OpenQuery("select code from main", plain, false);
    ASSERT_TRUE(plain && plain->Query);
    EXPECT_EQ(plain->Source, nullptr);
    TDbQuery* first = plain->Query.get();
    db.OpenQuery("select code from main where code=2", plain, true);  // no source added later
    EXPECT_EQ(plain->Query.get(), first);
    EXPECT_EQ(plain->Source, nullptr);
    EXPECT_EQ(plain->Query->RecordCount(), 1);

    TMyQuerySlot shown;
    db.OpenQuery("select code, fio from main order by code desc", shown, true);
    ASSERT_TRUE(shown->Source);
    EXPECT_EQ(shown->Source->DataSet(), shown->Query.get());
    int changes = 0;
    shown->Source->SetOnDataChange([&] { ++changes; });
    db.OpenQuery("select code, fio from main where code=1", shown, true);
    EXPECT_GT(changes, 0);  // the bound source sees every later result set
    EXPECT_EQ(shown->Query->FieldByName("fio").AsString(), QStringLiteral("Первый"));
    shown.reset();  // query first, then source, without touching freed memory
}

TEST_F(FolderDb, AFailedOpenLeavesTheHolderClosedAndReusable) {
    TFolderDB db(folder());
    TMyQuerySlot slot;
    EXPECT_THROW(db.OpenQuery("select * from nothere", slot, false), EngineError);
    ASSERT_TRUE(slot);
    EXPECT_FALSE(slot->Query->Active());
    db.OpenQuery("select max(code) as maxcode from main", slot, false);
    EXPECT_EQ(slot->Query->FieldByName("maxcode").AsInteger(), 2);
}

TEST_F(FolderDb, QueryNavigationAndFields) {
    TDbQuery q(folder());
    q.SQL = QStringList{"select code, fio from main order by code"};
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    EXPECT_EQ(q.RecNo(), 1);
    EXPECT_EQ(q.Fields(1).DisplayLabel, QStringLiteral("fio"));
    EXPECT_EQ(q.FindField("nothere"), nullptr);
    EXPECT_THROW(q.FieldByName("nothere"), EngineError);
    q.Next();
    EXPECT_EQ(q.FieldByName("CODE").AsInteger(), 2);
    q.Next();
    EXPECT_TRUE(q.Eof());
    q.SetRecNo(2);
    exec("insert into main (code, fio) values (3, 'Третий')");
    q.Refresh();
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.RecNo(), 2);  // the row number survives a refresh

    TDbQuery empty(folder());
    empty.SQL = QStringList{"select max(code) as maxcode from main where code > 100"};
    empty.Open();
    EXPECT_TRUE(empty.FieldByName("maxcode").IsNull());
    EXPECT_EQ(empty.FieldByName("maxcode").AsInteger(), 0);  // NULL read as an integer is 0
}

TEST_F(FolderDb, ExecuteReportsChangesAndErrors) {
    TFolderDB db(folder());
    EXPECT_EQ(db.Execute("update main set fio='x' where code=1"), 1);
    EXPECT_EQ(db.Execute("delete from main where code=5"), 0);
    EXPECT_THROW(db.Execute("update main set nothere=1"), EngineError);
    EXPECT_THROW(TFolderDB(folder() + "/missing").Execute("select 1"), EngineError);
}

TEST_F(FolderDb, BatchSyncsOnceAndKeepsWhatReturned) {
    {
        TBatch batch(folder());
        TFolderDB db(folder());
        db.Execute("begin");  // scripts may carry their own transaction words
        for (int i = 10; i < 20; ++i)
            db.Execute(QStringLiteral("insert into main (code, fio) values (%1, 'b')").arg(i));
        EXPECT_THROW(db.Execute("insert into nothere values (1)"), EngineError);
        db.Execute("commit");
        batch.Commit();
    }
    EXPECT_EQ(rows("select count(*) from main"), QStringList{"12"});
}

TEST_F(FolderDb, TableWalksAppendsAndLocates) {
    TDbConnection c;
    c.ConnectString = folder();
    c.SetConnected(true);
    TDbTable t(c, "MAIN.DBF");
    t.Open();
    EXPECT_EQ(t.RecordCount(), 2);
    QStringList names;
    for (t.First(); !t.Eof(); t.Next()) names << t.FieldByName("fio").AsString();
    EXPECT_EQ(names, (QStringList{"Первый", "Второй"}));
    EXPECT_TRUE(t.Locate("fio", QStringLiteral("Второй")));
    EXPECT_EQ(t.FieldByName("code").AsInteger(), 2);
    EXPECT_FALSE(t.Locate("fio", QStringLiteral("второй")));  // exact, letter case counts
    t.Append();
    t.FieldByName("code").SetAsInteger(9);
    t.FieldByName("fio").SetAsString(QStringLiteral("Девятый"));
    t.Post();
    EXPECT_EQ(rows("select fio from main where code=9"), QStringList{"Девятый"});
    TDbConnection missing;
    missing.ConnectString = folder() + "/none";
    EXPECT_THROW(missing.SetConnected(true), EngineError);
}

}  // namespace
