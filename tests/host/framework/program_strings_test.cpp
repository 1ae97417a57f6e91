// The program's string tables and embedded resources, read back from the built screensaver, and
// the version resources of the program and its library.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/BuiltProgram.h"
#include "version.h"

namespace {

struct StringEntry {
    UINT id;
    const wchar_t* text;
};

const StringEntry kStrings[] = {
    {2100, L"Hubo un problema no determinado con este salvapantallas."},
    {2101, L"Direct3D 8.0 no pudo ser inicializado. Por favor instale la \u00faltima versi\u00f3n de DirectX."},
    {2102, L"No se pudo iniciar el salvapantallas."},
    {2103, L"No fue posible crear el dispositivo Direct3D."},
    {2104, L"No fue posible encontrar ning\u00fan dispositivo compatible con Direct3D."},
    {2105, L"No se encontr\u00f3 ning\u00fan dispositivo acelerador de hardware Direct3D."},
    {2106, L"Este salvapantallas requiere funciones que no est\u00e1n disponibles en tu acelerador de hardware Direct3D."},
    {2107, L"Este salvapantallas requiere funciones que no est\u00e1n disponibles en tu acelerador de hardware Direct3D con las opciones actuales de configuraci\u00f3n de escritorio."},
    {2108, L"No se pudo ejecutar el medio requerido."},
    {2109, L"No fue posible resetear el dispositivo Direct3D."},
    {2110, L"No hay memoria suficiente."},
    {2111, L"No hay suficiente memoria de v\u00eddeo."},
    {2112, L"No est\u00e1 disponible la vista previa"},
    {2200, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware. Este salvapantallas puede ser visto correctamente en este monitor."},
    {2201, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware, pero esta funcionalidad no est\u00e1 disponible en el hardware. En su lugar se usar\u00e1 renderizaci\u00f3n por software. Este salvapantallas puede ser visto correctamente en este monitor."},
    {2202, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware, pero este salvapantallas requiere funciones no disponibles en el hardware ni en el software. Lo sentimos, este salvapantallas no puede ser visto en este monitor."},
    {2203, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware, pero este salvapantallas requiere funciones que no se encuentran disponibles en el hardware. No hay tampoco renderizaci\u00f3n por software disponible. Lo sentimos, este salvapantallas no puede ser visto en este monitor."},
    {2204, L"Este adaptador de v\u00eddeo no soporta renderizaci\u00f3n 3D por hardware. En su lugar se usar\u00e1 renderizaci\u00f3n por software. Este salvapantallas puede ser visualizado correctamente en este monitor."},
    {2205, L"Este adaptador de v\u00eddeo no soporta renderizaci\u00f3n 3D por hardware. Este salvapantallas requiere funciones no disponibles en la renderizaci\u00f3n por software. Lo sentimos, este salvapantallas no puede ser visto en este monitor."},
    {2206, L"Este adaptador de v\u00eddeo no soporta renderizaci\u00f3n 3D por hardware ni por software. Lo sentimos, este salvapantallas no puede ser visto en este monitor."},
    {2207, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware, pero esta funci\u00f3n ha sido deshabilitada. Se utilizar\u00e1 en su lugar renderizaci\u00f3n por software. Este salvapantallas puede ser visualizado correctamente en este monitor."},
    {2208, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware, pero esta funci\u00f3n ha sido deshabilitada. Este salvapantallas requiere funcionalidad de renderizaci\u00f3n por software no disponible. Este salvapantallas no puede ser visualizado en este monitor."},
    {2209, L"Este adaptador de v\u00eddeo soporta renderizaci\u00f3n 3D por hardware, pero esta funci\u00f3n ha sido deshabilitada. No existe funcionalidad de renderizaci\u00f3n por software. Este salvapantallas no puede ser visto en este monitor."},
    {2210, L"Este salvapantallas puede usar renderizaci\u00f3n 3D por hardware en este monitor."},
    {2211, L"Este salvapantallas puede usar renderizaci\u00f3n 3D por software en este monitor."},
    {2212, L"Este salvapantallas no puede ser visualizado en este monitor."},
};

class ProgramStrings : public testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadBuiltProgram();
        ASSERT_NE(module_, nullptr) << "lanternwork.scr not found beside the test";
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }
    std::wstring Load(UINT id) const
    {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 ? std::wstring(text, length) : std::wstring();
    }

    std::vector<char> Resource(const wchar_t* type, WORD id) const
    {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (!found)
            return {};
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return std::vector<char>(bytes, bytes + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

std::vector<char> FileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(ProgramStrings, EveryMessageReadsExactly)
{
    for (const StringEntry& e : kStrings)
        EXPECT_EQ(Load(e.id), e.text) << "string " << e.id;
}

TEST_F(ProgramStrings, WindowTitleNamesTheProduct)
{
    const std::wstring title = Load(1000);
    EXPECT_NE(title.find(L"Lanternwork"), std::wstring::npos);
}

TEST_F(ProgramStrings, ProgramHasItsIcon)
{
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);
}

// The scene document and the pictures are written by the build's generators and embedded as they
// were written.
TEST_F(ProgramStrings, ProgramEmbedsTheGeneratedDocumentAndPictures)
{
    const struct {
        WORD id;
        const wchar_t* file;
    } kGenerated[] = {
        {107, L"..\\generated\\scene\\scene107.dds"},
        {2, L"..\\generated\\pictures\\program\\lake_height.png"},
        {120, L"..\\generated\\pictures\\program\\config_picture.bmp"},
    };
    for (const auto& g : kGenerated) {
        SCOPED_TRACE(g.id);
        const std::vector<char> file = FileBytes(BesideThisProgram(g.file));
        ASSERT_FALSE(file.empty()) << "missing generated file";
        EXPECT_TRUE(Resource(L"DDS", g.id) == file) << "\"DDS\" " << g.id << " is not the generated file";
    }
}

// The manifest Windows reads at start-up (RT_MANIFEST 1): the version 6 common controls and
// per-monitor DPI awareness, with the older setting for systems that do not know the newer one.
TEST_F(ProgramStrings, ProgramCarriesItsApplicationManifest)
{
    const std::vector<char> bytes = Resource(MAKEINTRESOURCEW(24), 1);
    ASSERT_FALSE(bytes.empty()) << "no application manifest";
    const std::string manifest(bytes.begin(), bytes.end());
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", ">true/pm</dpiAware>",
                             ">PerMonitorV2, PerMonitor</dpiAwareness>", "processorArchitecture=\"amd64\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

// The Screen Saver Settings list a saver under string 1 of its file, else under the file name.
TEST_F(ProgramStrings, SaverListNameIsStringOne)
{
    EXPECT_EQ(Load(1), L"Lanternwork");
    EXPECT_NE(Load(1000).find(Load(1)), std::wstring::npos) << "the short name is not in the title";
}

namespace {

// The version resource of a built file, read the way Windows reads it for the file's properties.
class FileVersion {
public:
    explicit FileVersion(const std::wstring& path)
    {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0)
            return;
        block_.resize(size);
        if (!GetFileVersionInfoW(path.c_str(), 0, size, block_.data()))
            block_.clear();
    }
    bool Present() const { return !block_.empty(); }
    const VS_FIXEDFILEINFO* Fixed() const
    {
        void* info = nullptr;
        UINT length = 0;
        if (!Present() || !VerQueryValueW(block_.data(), L"\\", &info, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(info);
    }
    // A value of the U.S. English, UTF-16 string table; empty when there is none.
    std::wstring Text(const wchar_t* name) const
    {
        void* text = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!Present() || !VerQueryValueW(block_.data(), path.c_str(), &text, &length) || length == 0)
            return std::wstring();
        return std::wstring(static_cast<const wchar_t*>(text)); // the length counts the terminator
    }

private:
    std::vector<char> block_;
};

std::wstring Widened(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

} // namespace

// The program and its library carry the product's name and the build's one version number.
TEST(BuiltFileVersions, ProgramAndLibraryNameTheProductAndItsVersion)
{
    const struct {
        const wchar_t* file;
        DWORD type;
    } kFiles[] = {{L"lanternwork.scr", VFT_APP}, {L"common_res.dll", VFT_DLL}};
    const DWORD versionMS = MAKELONG(LW_VERSION_MINOR, LW_VERSION_MAJOR);
    const DWORD versionLS = MAKELONG(0, LW_VERSION_PATCH);
    for (const auto& f : kFiles) {
        SCOPED_TRACE(f.file);
        const FileVersion version(BesideThisProgram(f.file));
        ASSERT_TRUE(version.Present()) << "no version resource";
        const VS_FIXEDFILEINFO* fixed = version.Fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, versionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, versionLS);
        EXPECT_EQ(fixed->dwProductVersionMS, versionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, versionLS);
        EXPECT_EQ(fixed->dwFileType, f.type);
        EXPECT_EQ(version.Text(L"ProductName"), L"Lanternwork");
        EXPECT_EQ(version.Text(L"OriginalFilename"), f.file);
        EXPECT_EQ(version.Text(L"FileVersion"), Widened(LW_VERSION_TEXT));
        EXPECT_EQ(version.Text(L"ProductVersion"), Widened(LW_VERSION_TEXT));
        EXPECT_NE(version.Text(L"FileDescription").find(L"Lanternwork"), std::wstring::npos);
    }
}
