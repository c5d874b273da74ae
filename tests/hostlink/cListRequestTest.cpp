#include <gtest/gtest.h>

#include "hostlink/cListRequest.h"
#include "platform/RunError.h"
#include "support/QtPrinters.h"

namespace kestrel {
namespace {

TEST(cListRequestTest, AddToListFillsEveryListInStepAndClearKeepsTheHeader) {
    cListRequest r;
    r.SetTag(QStringLiteral("11"));
    r.SetLoginID(QStringLiteral("LOGIN1"));
    r.SetErrCode(99);
    r.AddToList(QStringLiteral("L30"));
    r.AddToList(QStringLiteral("3001"), QStringLiteral("005"), QStringLiteral("02"),
                QStringLiteral("x"), QStringLiteral("Route"));
    ASSERT_EQ(r.Count(), 2);
    EXPECT_EQ(r.CMD(0), QStringLiteral("L30"));
    for (const QString& text : {r.FirstData(0), r.SecondData(0), r.ExtraData(0),
                                r.DescriptionData(0), r.CK(0), r.ERMFP(0), r.MSGFP(0)}) {
        EXPECT_TRUE(text.isEmpty());
    }
    EXPECT_EQ(QStringList({r.FirstData(1), r.SecondData(1), r.ExtraData(1), r.DescriptionData(1)}),
              QStringList({"005", "02", "x", "Route"}));
    for (const QStringList* list :
         {&r.CMDList(), &r.FirstDataList(), &r.SecondDataList(), &r.ExtraDataList(),
          &r.DescriptionDataList(), &r.CKList(), &r.ERMFPList(), &r.MSGFPList()}) {
        EXPECT_EQ(list->size(), 2);
    }
    r.Clear();
    EXPECT_EQ(r.Count(), 0);
    EXPECT_TRUE(r.CMD(0).isEmpty());
    EXPECT_EQ(QStringList({r.Tag(), r.LoginID(), QString::number(r.ErrCode())}),
              QStringList({"11", "LOGIN1", "99"}));
}

TEST(cListRequestTest, IndicesOutsideTheListsDoNothing) {
    cListRequest r;
    r.AddToList(QStringLiteral("3001"), QStringLiteral("001"));
    for (int index : {-1, 1, 32767, -32768}) {
        EXPECT_TRUE(r.FirstData(index).isEmpty()) << index;
        r.SetFirstData(index, QStringLiteral("x"));
        r.SetCMD(index, QStringLiteral("x"));
        r.SetMSGFP(index, QStringLiteral("x"));
    }
    EXPECT_EQ(r.Count(), 1);
    EXPECT_EQ(r.FirstData(0), QStringLiteral("001"));
    r.SetCK(0, QStringLiteral("k"));
    EXPECT_EQ(r.CK(0), QStringLiteral("k"));
}

TEST(cListRequestTest, TheLineAfter32767OverflowsAndChangesNothing) {
    cListRequest r;
    for (int i = 0; i < cListRequest::kMaxCount; ++i)
        r.AddToList(QStringLiteral("3001"));
    EXPECT_EQ(r.Count(), 32767);
    try {
        r.AddToList(QStringLiteral("3002"));
        ADD_FAILURE() << "no overflow";
    } catch (const RunError& e) {
        EXPECT_EQ(e.Number(), err::kOverflow);
    }
    EXPECT_EQ(r.Count(), 32767);
    EXPECT_EQ(r.CMDList().size(), r.MSGFPList().size());
}

}  // namespace
}  // namespace kestrel
