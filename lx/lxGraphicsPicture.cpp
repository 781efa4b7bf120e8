// TlxPicture: icons and metafiles in form resources as the packed property "SFP".
#include "classlib/FormStream.h"
#include "lx/lxGraphics.h"
#include "lx/lxSFPack.h"

namespace {

enum TSFPKind : uint8_t { sfpIcon = 0, sfpMetafile = 1 };

bool IsSFPGraphic(TGraphic* Graphic) {
  return dynamic_cast<TIcon*>(Graphic) || dynamic_cast<TMetafile*>(Graphic);
}

}  // namespace

VD_DEFINE_CLASS(TlxPicture) {}

bool TlxPicture::HasGraphic() const { return Graphic() && !Graphic()->Empty(); }

bool TlxPicture::WritesSFP(TPersistent* Ancestor) const {
  bool Differs;
  if (!Ancestor) Differs = Graphic() != nullptr;
  else if (auto* Theirs = dynamic_cast<TPicture*>(Ancestor))
    Differs = (Graphic() != nullptr) != (Theirs->Graphic() != nullptr);
  else Differs = true;
  return Differs && IsSFPGraphic(Graphic());
}

void TlxPicture::DefineProperties(TFiler* Filer) {
  bool SFP = WritesSFP(Filer->Ancestor());
  Filer->DefineBinaryProperty(
      "SFP", [this](TStream& S) { ReadSFP(S); }, [this](TStream& S) { WriteSFP(S); }, SFP);
  // A reader must find "Data" whatever this picture holds before reading.
  if (!SFP || dynamic_cast<TReader*>(Filer)) inherited::DefineProperties(Filer);
}

void TlxPicture::ReadSFP(TStream& Stream) {
  TObjectPtr<TMemoryStream> Data = UnpackStream(Stream);
  TObjectPtr<TGraphic> New;
  uint8_t Kind = 0xFF;  // no data: no graphic
  if (Data->Size() > 0) Data->ReadBuffer(&Kind, 1);
  if (Kind == sfpIcon) New.reset(TIcon::Create());
  else if (Kind == sfpMetafile) New.reset(TMetafile::Create());
  if (New) New->LoadFromStream(*Data);  // a failure frees the new graphic on the way out
  AdoptGraphic(New.release());
}

void TlxPicture::WriteSFP(TStream& Stream) {
  TObjectPtr<TMemoryStream> Data(TMemoryStream::Create());
  TGraphic* G = Graphic();
  if (IsSFPGraphic(G)) {
    uint8_t Kind = dynamic_cast<TIcon*>(G) ? sfpIcon : sfpMetafile;
    Data->WriteBuffer(&Kind, 1);
    G->SaveToStream(*Data);
  }
  PackStream(*Data, Stream);
}
