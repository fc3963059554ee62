#include "main/records/ReferenceLoader.h"

#include "common/Version.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/FreeFormatReader.h"
#include "main/records/UserFiles.h"

#include <cmath>

namespace velnor {
namespace {

// Values after the last record mean the file is laid out differently from
// what we expect, so every value read so far may sit in the wrong place.
void requireEnd(const FreeFormatReader& reader)
{
    if (!reader.atEnd())
        throw DataFileError(reader.sourceName(), reader.lineNumber(), Reason{ReasonCode::TooManyValues});
}

} // namespace

void readDifferentialBsfFile(const std::filesystem::path& path, DifferentialBsfTable& table, int phantom)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    reader.readLine(); // header
    for (int ring = 1; ring <= kBsfRings; ++ring) {
        reader.readNumber(); // ring position
        for (int column = 1; column <= kBsfEnergyColumns; ++column) {
            const double value = reader.readNumber();
            // A ring adds scatter; it cannot take dose away.
            if (!(value >= 0.0) || !std::isfinite(value))
                throw DataFileError(reader.sourceName(), reader.lineNumber(), Reason{ReasonCode::NotFiniteOrNegative, "differentialBsf", value});
            table.at(phantom, column, ring) = value;
        }
    }
    requireEnd(reader);
}

AttenuationTable readAttenuationTable(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    AttenuationTable t;
    BinArray* columns[] = {&t.muTungsten, &t.muAluminium, &t.muCopper, &t.muenAir, &t.muenSoftTissue, &t.muenSkin};
    for (int j = 1; j <= kBinCount; ++j) {
        const int line = reader.lineNumber();
        const double energyKev = reader.readNumber();
        // Row j must be the bin of 0.5 j keV: a header line or a missing row
        // would shift every coefficient onto the wrong energy.
        if (std::fabs(energyKev - binEnergyKev(j)) > 0.01)
            throw DataFileError(reader.sourceName(), line,
                                Reason{ReasonCode::RowEnergyMismatch, {}, energyKev, binEnergyKev(j), static_cast<double>(j)});
        for (BinArray* column : columns) {
            const double value = reader.readNumber();
            if (!(value > 0.0) || !std::isfinite(value))
                throw DataFileError(reader.sourceName(), line, Reason{ReasonCode::NotPositive, "attenuationCoefficient", value});
            (*column)[static_cast<std::size_t>(j)] = value;
        }
    }
    requireEnd(reader);
    return t;
}

AtrTable readAtrTable(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    AtrTable t;
    reader.readLine(); // header
    for (int j = 1; j <= kBinCount; ++j) {
        reader.readNumber();
        const double x0 = reader.readNumber();
        const double x1 = reader.readNumber();
        if (!(x0 >= 0.0 && x1 >= 0.0) || !std::isfinite(x0) || !std::isfinite(x1))
            throw DataFileError(reader.sourceName(), reader.lineNumber(),
                                Reason{ReasonCode::NotFiniteOrNegative, "detectorResponse", x0 >= 0.0 ? x1 : x0});
        t.x0[static_cast<std::size_t>(j)] = x0;
        t.x1[static_cast<std::size_t>(j)] = x1;
        reader.readNumber();
    }
    requireEnd(reader);
    return t;
}

namespace {

void readBsfTablesAndAttenuation(const std::filesystem::path& folder, ReferenceTables& tables)
{
    struct BsfFile {
        const char* name;
        DifferentialBsfTable* table;
        int phantom;
    };
    const BsfFile bsfFiles[] = {
        {files::kBsfSoftBody, &tables.bsfSoftTissue, kPhantomBody}, {files::kBsfAirBody, &tables.bsfAir, kPhantomBody},
        {files::kBsfSkinBody, &tables.bsfSkin, kPhantomBody},       {files::kBsfSoftHead, &tables.bsfSoftTissue, kPhantomHead},
        {files::kBsfAirHead, &tables.bsfAir, kPhantomHead},         {files::kBsfSkinHead, &tables.bsfSkin, kPhantomHead},
    };
    for (const BsfFile& f : bsfFiles)
        readDifferentialBsfFile(findFileIgnoringCase(folder, f.name), *f.table, f.phantom);
    tables.attenuation = readAttenuationTable(findFileIgnoringCase(folder, files::kAttenuation));
}

} // namespace

StartupData loadStartupData(const std::filesystem::path& folder)
{
    StartupData data;
    readBsfTablesAndAttenuation(folder, data.tables);
    data.outputData = loadOutputDataTable(findFileIgnoringCase(folder, files::kDefaultOutput));
    data.bodyParts = readBodyParts(findFileIgnoringCase(folder, files::kBodyParts));
    data.tables.atr = readAtrTable(findFileIgnoringCase(folder, files::kAtr));
    data.userName = readUserName(findFileIgnoringCase(folder, files::kPrimary));
    return data;
}

ReferenceTables loadReferenceTables(const std::filesystem::path& folder)
{
    ReferenceTables tables;
    readBsfTablesAndAttenuation(folder, tables);
    tables.atr = readAtrTable(findFileIgnoringCase(folder, files::kAtr));
    return tables;
}

std::string referenceDataVersion(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> tables;
    for (const char* name : {files::kBsfSoftBody, files::kBsfAirBody, files::kBsfSkinBody, files::kBsfSoftHead, files::kBsfAirHead,
                             files::kBsfSkinHead, files::kAttenuation, files::kAtr, files::kTissueData})
        tables.push_back(findFileIgnoringCase(folder, name));
    return contentFingerprint(tables);
}

} // namespace velnor
