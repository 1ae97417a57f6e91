#include "tools/docwriter/DocumentBuilder.h"

void WriteKindParams(DocumentWriter& w, int32_t kind, uint32_t paramVersion, const KindParams& p)
{
    switch (kind) {
    case 1: // underwater
        w.UInt(p.speed);
        if (paramVersion == 1) {
            w.UInt(static_cast<uint32_t>(p.legacyPictures.size()));
            for (const NamedBlob& picture : p.legacyPictures) {
                w.VersionBlock(docguid::kParameters, 1);
                w.Blob(picture);
            }
        }
        break;
    case 2: // lake
        w.Int(p.amount);
        w.UInt(p.speed);
        if (paramVersion >= 2) {
            w.UInt(p.colours[0]);
            for (int i = 0; i < 6; ++i)
                w.UInt(p.levels[i]);
            w.Int(p.options[0]);
        }
        break;
    case 3: // fire
        if (paramVersion == 1)
            w.Int(p.auxValue);
        w.Int(p.amount);
        w.UInt(p.speed);
        if (paramVersion >= 2) {
            w.Key(p.fireKeys[0]);
            w.Key(p.fireKeys[1]);
            w.Int(p.switches[0]);
            w.Int(p.switches[1]);
            w.Key(p.fireKeys[2]);
            w.Key(p.fireKeys[3]);
            for (int i = 0; i < 3; ++i)
                w.UInt(p.levels[i]);
        }
        break;
    case 4: // water rings
        for (int i = 0; i < 9; ++i)
            w.UInt(p.levels[i]);
        break;
    case 5: // falling glyphs
        w.Ref(p.refs[0]);
        for (int i = 0; i < 4; ++i)
            w.UInt(p.levels[i]);
        w.Int(p.auxValue);
        w.UInt(p.colours[0]);
        w.UInt(p.colours[1]);
        w.Int(p.options[0]);
        w.Int(p.options[1]);
        break;
    case 6: // glass ball
        for (int i = 0; i < 3; ++i)
            w.Ref(p.refs[i]);
        for (int i = 0; i < 3; ++i)
            w.UInt(p.levels[i]);
        for (int i = 0; i < 3; ++i)
            w.Int(p.switches[i]);
        w.UInt(p.colours[0]);
        w.UInt(p.colours[1]);
        w.Int(p.options[0]);
        w.Int(p.options[1]);
        w.Blob(p.blob);
        w.Int(p.pointX);
        w.Int(p.pointY);
        break;
    default: // picture only, or a kind the reader rejects: nothing
        break;
    }
}

void WriteSlide(DocumentWriter& w, const SlidePlan& slide)
{
    w.VersionBlock(docguid::kSlide, 1);
    w.Int(slide.kind);
    w.String(slide.title);
    w.Blob(slide.picture);
    w.VersionBlock(docguid::kParameters, static_cast<int32_t>(slide.paramVersion));
    w.VersionBlock(docguid::kList, slide.listFormat);
    w.String(slide.fadeIn);
    w.String(slide.fadeOut);
    w.String(slide.hold);
    if (slide.listFormat == 3)
        w.UInt(slide.objectCount);
    w.Raw(slide.objectBytes);
    WriteKindParams(w, slide.kind, slide.paramVersion, slide.params);
}

void WriteSound(DocumentWriter& w, const SoundPlan& sound)
{
    w.String(L"DS_AudioFile");
    w.UInt(1);
    w.String(sound.title);
    w.Blob(sound.file);
}

namespace {

void WriteRefMap(DocumentWriter& w, const RefMap& map)
{
    w.UInt(static_cast<uint32_t>(map.size()));
    for (const auto& [key, refs] : map) {
        w.Key(key);
        w.UInt(static_cast<uint32_t>(refs.size()));
        for (const ResourceRef& ref : refs)
            w.Ref(ref);
    }
}

} // namespace

void WriteManager(DocumentWriter& w, const ManagerPlan& manager)
{
    w.String(L"DS_DocResManager");
    w.UInt(manager.version);
    WriteRefMap(w, manager.textureSources);
    w.UInt(static_cast<uint32_t>(manager.frameDurations.size()));
    for (const auto& [key, durations] : manager.frameDurations) {
        w.Key(key);
        w.UInt(static_cast<uint32_t>(durations.size()));
        for (float d : durations)
            w.Float(d);
    }
    if (manager.version != 1)
        WriteRefMap(w, manager.meshSources);
}

std::vector<uint8_t> BuildDocument(const DocumentPlan& doc)
{
    DocumentWriter w;
    w.String(doc.header);
    w.VersionBlock(docguid::kDocument, static_cast<int32_t>(doc.docVersion));
    w.UInt(static_cast<uint32_t>(doc.slides.size()));
    for (const SlidePlan& slide : doc.slides)
        WriteSlide(w, slide);
    if (doc.docVersion > 1) {
        w.UInt(static_cast<uint32_t>(doc.sounds.size()));
        for (const SoundPlan& sound : doc.sounds)
            WriteSound(w, sound);
    }
    if (doc.docVersion > 2)
        WriteManager(w, doc.manager);
    if (doc.trailer)
        w.UInt(0);
    return w.bytes;
}
