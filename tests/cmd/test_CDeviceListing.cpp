// The device listing's sizes: each read from its own piece of the line.
#include <fstream>

#include "CDeviceListing.h"
#include "ParseSupport.h"

TEST_F(ParseTest, DeviceListingReadsEachSizeFromItsOwnPiece)
{
    const std::string capture = dir + "\\listing.tmp";
    std::ofstream(capture, std::ios::binary)
        << "blank\t \t5\r\nsigned\t+12\r\nwide\t4294967296\r\njunk\t12abc\t7\r\n"
        << "\t\tlead\t\t3\nblank\t9\r\nlast\t8";
    CDeviceListing listing;
    CBase record;
    listing.Read(capture, record);
    const std::pair<const char*, long long> expected[] = {
        // Blanks before a TAB are the whole size text, not the next piece's.
        {"blank", 0}, {"signed", 12}, {"wide", 4294967296LL},
        {"junk", 12}, {"lead", 3},    {"last", 8}};
    for (const auto& entry : expected) {
        long long nSize = -1;
        EXPECT_TRUE(listing.Find(entry.first, nSize)) << entry.first;
        EXPECT_EQ(entry.second, nSize) << entry.first;
    }
}
