#include "common/DataFileError.h"
#include "common/FixedWidth.h"
#include "common/FreeFormatReader.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

TEST(FreeFormatReader, ValuesAreSeparatedByBlanksCommasOrLineEnds)
{
    FreeFormatReader reader("1, 2,3\n 4\t5 , 6\n\n7.5E-1\n", "values.dat");
    for (double expected : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 0.75})
        EXPECT_DOUBLE_EQ(reader.readNumber(), expected);
    EXPECT_TRUE(reader.atEnd());
}

TEST(FreeFormatReader, LinesAndValuesInterleave)
{
    FreeFormatReader reader("comment, with a comma\n40 50\n60\nnext line\n", "table.op");
    EXPECT_EQ(reader.readLine(), "comment, with a comma");
    EXPECT_EQ(reader.readNumber(), 40.0);
    EXPECT_EQ(reader.readNumber(), 50.0);
    EXPECT_EQ(reader.readNumber(), 60.0);
    // The line end after the last value of a line belongs to that value.
    EXPECT_EQ(reader.readLine(), "next line");
}

TEST(FreeFormatReader, TextFieldsRunToTheNextCommaOrLineEnd)
{
    FreeFormatReader reader("腹部 正面 , \"a, b\",3\nlast\n", "fields.csv");
    EXPECT_EQ(reader.readField(), "腹部 正面");
    EXPECT_EQ(reader.readField(), "a, b");
    EXPECT_EQ(reader.readNumber(), 3.0);
    EXPECT_EQ(reader.readField(), "last");
}

TEST(FreeFormatReader, FailuresNameTheFileAndLine)
{
    FreeFormatReader shortFile("1 2\n", "short.dat");
    shortFile.readNumber();
    shortFile.readNumber();
    try {
        shortFile.readNumber();
        FAIL() << "reading past the end must fail";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.fileName(), "short.dat");
        EXPECT_NE(std::string(e.what()).find("too few values"), std::string::npos) << e.what();
    }

    FreeFormatReader bad("1\n2\n*******\n", "ResultBSF.txt");
    bad.readNumber();
    bad.readNumber();
    try {
        bad.readNumber();
        FAIL() << "asterisks are not a number";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), 3);
        EXPECT_NE(std::string(e.what()).find("*******"), std::string::npos) << e.what();
    }

    FreeFormatReader empty("1,,2", "gaps.dat");
    empty.readNumber();
    EXPECT_THROW(empty.readNumber(), DataFileError);

    FreeFormatReader huge("0.5\n1.9279E+3000\n", "dATR.dat");
    huge.readNumber();
    try {
        huge.readNumber();
        FAIL() << "an overflowing value is not a number of the file";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), 2);
        EXPECT_NE(std::string(e.what()).find("beyond the range"), std::string::npos) << e.what();
        EXPECT_EQ(e.japanese(), "「dATR.dat」の 2 行目：「1.9279E+3000」は扱える数値の範囲を超えています（2 番目の値）");
    }
}

TEST(FixedWidth, ColumnsImpliedDecimalsAndExponents)
{
    EXPECT_DOUBLE_EQ(readFixedReal("12345", 1, 5, 5), 0.12345);      // implied decimals
    EXPECT_DOUBLE_EQ(readFixedReal("  1.5", 1, 5, 3), 1.5);          // explicit point wins
    EXPECT_DOUBLE_EQ(readFixedReal(" 1.234E+02", 1, 10, 3), 123.4);   // E form
    EXPECT_DOUBLE_EQ(readFixedReal("12345E2", 1, 7, 5), 12.345);     // implied decimals with exponent
    EXPECT_DOUBLE_EQ(readFixedReal("1.5-03", 1, 6, 0), 1.5e-3);      // exponent without its letter
    EXPECT_DOUBLE_EQ(readFixedReal("1.5D+01", 1, 7, 0), 15.0);
    EXPECT_DOUBLE_EQ(readFixedReal(" 1 2 3", 1, 6, 0), 123.0);       // blanks inside are ignored
    EXPECT_DOUBLE_EQ(readFixedReal("      ", 1, 6, 2), 0.0);         // all blank reads 0
    EXPECT_DOUBLE_EQ(readFixedReal("12", 1, 10, 0), 12.0);           // short line padded
    EXPECT_DOUBLE_EQ(readFixedReal("x", 5, 10, 0), 0.0);             // field entirely past the line
    EXPECT_DOUBLE_EQ(readFixedReal("-0.25", 1, 5, 0), -0.25);
}

TEST(FixedWidth, SpectrumLineReadsByItsColumns)
{
    const std::string line = "0070.0, 0.01234";
    EXPECT_DOUBLE_EQ(readFixedReal(line, 1, 6, 1), 70.0);
    EXPECT_DOUBLE_EQ(readFixedReal(line, 8, 15, 5), 0.01234);
}

TEST(FixedWidth, MalformedFieldsAreRefused)
{
    EXPECT_THROW(readFixedReal("abc", 1, 3, 0), std::invalid_argument);
    EXPECT_THROW(readFixedReal("1.2.3", 1, 5, 0), std::invalid_argument);
    EXPECT_THROW(readFixedReal("1.5E", 1, 4, 0), std::invalid_argument);
    EXPECT_THROW(readFixedReal("1E999", 1, 5, 0), std::invalid_argument);
    EXPECT_EQ(readFixedInteger("00001000000", 1, 11), 1000000);
    EXPECT_EQ(readFixedInteger("   42", 1, 5), 42);
    EXPECT_THROW(readFixedInteger("4.2", 1, 3), std::invalid_argument);
    EXPECT_THROW(readFixedInteger("+-7", 1, 3), std::invalid_argument); // one sign only
    EXPECT_THROW(readFixedInteger("-+7", 1, 3), std::invalid_argument);
    EXPECT_EQ(readFixedInteger(" -7", 1, 3), -7);
    // One sign per part: these are not numbers in any notation.
    EXPECT_THROW(readFixedReal("1E+-5", 1, 5, 0), std::invalid_argument);
    EXPECT_THROW(readFixedReal("+-7", 1, 3, 0), std::invalid_argument);
    EXPECT_THROW(readFixedReal("1E--5", 1, 5, 0), std::invalid_argument);
    EXPECT_DOUBLE_EQ(readFixedReal("1E-5", 1, 4, 0), 1e-5);
    EXPECT_DOUBLE_EQ(readFixedReal("1-5", 1, 3, 0), 1e-5); // exponent without its letter
}

TEST(FixedWidth, ExtremeExponentsAreRefusedWithoutWrapping)
{
    // The exponent is the most negative 64-bit integer: subtracting the
    // decimals from it used to overflow (undefined behaviour). Beyond the
    // range of a double, either way, the field is refused.
    const std::string line = "1.5E-9223372036854775808";
    EXPECT_THROW(readFixedReal(line, 1, static_cast<int>(line.size()), 3), std::invalid_argument);
    const std::string huge = "1.5E+99999999999999999999";
    EXPECT_THROW(readFixedReal(huge, 1, static_cast<int>(huge.size()), 3), std::invalid_argument);
}

} // namespace
} // namespace velnor
