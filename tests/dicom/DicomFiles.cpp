#include "tests/dicom/DicomFiles.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcitem.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <iconv.h>

#include <stdexcept>

namespace velnor::testing {
namespace {

void put(DcmItem& item, const std::vector<Attribute>& attributes)
{
    for (const Attribute& a : attributes)
        if (item.putAndInsertString(DcmTag(a.group, a.element), a.value.c_str()).bad())
            throw std::runtime_error("cannot put an attribute");
}

void save(DcmFileFormat& format, const std::filesystem::path& path, bool bare = false)
{
    const OFCondition c = bare ? format.getDataset()->saveFile(path.c_str(), EXS_LittleEndianImplicit)
                               : format.saveFile(path.c_str(), EXS_LittleEndianExplicit);
    if (c.bad())
        throw std::runtime_error(std::string("cannot save ") + path.string() + ": " + c.text());
}

void code(DcmItem& item, const DcmTagKey& sequence, const std::string& value, const std::string& scheme, const std::string& meaning)
{
    DcmItem* c = nullptr;
    item.findOrCreateSequenceItem(sequence, c, -2);
    c->putAndInsertString(DCM_CodeValue, value.c_str());
    c->putAndInsertString(DCM_CodingSchemeDesignator, scheme.c_str());
    c->putAndInsertString(DCM_CodeMeaning, meaning.c_str());
}

DcmItem* contentItem(DcmItem& parent, const char* valueType, const std::string& conceptCode)
{
    DcmItem* item = nullptr;
    parent.findOrCreateSequenceItem(DCM_ContentSequence, item, -2);
    item->putAndInsertString(DCM_RelationshipType, "CONTAINS");
    item->putAndInsertString(DCM_ValueType, valueType);
    code(*item, DCM_ConceptNameCodeSequence, conceptCode, "DCM", "concept " + conceptCode);
    return item;
}

} // namespace

void writeImage(const std::filesystem::path& path, const std::vector<Attribute>& attributes, bool bare)
{
    DcmFileFormat format;
    DcmDataset& d = *format.getDataset();
    d.putAndInsertString(DCM_SOPClassUID, UID_DigitalXRayImageStorageForPresentation);
    d.putAndInsertString(DCM_SOPInstanceUID, "1.2.392.200036.1.1");
    d.putAndInsertString(DCM_Modality, "DX");
    d.putAndInsertString(DCM_PatientName, "YAMADA^TARO");
    d.putAndInsertString(DCM_PatientID, "P-000123");
    put(d, attributes);
    const Uint16 pixels[4] = {1, 2, 3, 4};
    d.putAndInsertUint16Array(DCM_PixelData, pixels, 4);
    save(format, path, bare);
}

void writeDoseReport(const std::filesystem::path& path, const std::vector<std::vector<EventItem>>& events,
                     const std::vector<Attribute>& attributes)
{
    DcmFileFormat format;
    DcmDataset& d = *format.getDataset();
    d.putAndInsertString(DCM_SOPClassUID, UID_XRayRadiationDoseSRStorage);
    d.putAndInsertString(DCM_SOPInstanceUID, "1.2.392.200036.1.2");
    d.putAndInsertString(DCM_Modality, "SR");
    d.putAndInsertString(DCM_ValueType, "CONTAINER");
    code(d, DCM_ConceptNameCodeSequence, "113701", "DCM", "X-Ray Radiation Dose Report");
    put(d, attributes);
    for (const std::vector<EventItem>& event : events) {
        DcmItem* container = contentItem(d, "CONTAINER", "113706");
        DcmItem* filter = nullptr;
        for (const EventItem& e : event) {
            DcmItem* parent = container;
            if (e.filter) {
                if (!filter)
                    filter = contentItem(*container, "CONTAINER", "113771");
                parent = filter;
            }
            if (e.unit.empty()) {
                DcmItem* item = contentItem(*parent, "CODE", e.code);
                code(*item, DCM_ConceptCodeSequence, "C-000", "SRT", e.value);
            } else {
                DcmItem* item = contentItem(*parent, "NUM", e.code);
                DcmItem* measured = nullptr;
                item->findOrCreateSequenceItem(DCM_MeasuredValueSequence, measured, -2);
                measured->putAndInsertString(DCM_NumericValue, e.value.c_str());
                code(*measured, DCM_MeasurementUnitsCodeSequence, e.unit, "UCUM", e.unit);
            }
        }
    }
    save(format, path);
}

std::string iso2022jp(const std::string& utf8)
{
    iconv_t cd = iconv_open("ISO-2022-JP", "UTF-8");
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* o = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv(cd, nullptr, nullptr, &o, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace velnor::testing
