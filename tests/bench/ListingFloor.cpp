// The least a client must do with a container listing: parse the SOAP reply, parse the contents XML
// it carries as text, and read every attribute of every T0 and T1 row. Prints the rows and the bytes
// of attribute values read, so that nothing is optimised away.
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: listing_floor REPLY_FILE\n");
        return 2;
    }
    pugi::xml_document reply;
    if (!reply.load_file(argv[1])) {
        std::fprintf(stderr, "listing_floor: %s is not XML\n", argv[1]);
        return 1;
    }
    const pugi::xml_node result = reply.find_node([](const pugi::xml_node& node) {
        return std::strcmp(node.name(), "OutlookGetContainerFullExResult") == 0;
    });
    if (!result) {
        std::fprintf(stderr, "listing_floor: no OutlookGetContainerFullExResult\n");
        return 1;
    }
    const std::string text = result.child_value();
    pugi::xml_document contents;
    if (!contents.load_buffer(text.data(), text.size())) {
        std::fprintf(stderr, "listing_floor: the listing is not XML\n");
        return 1;
    }
    struct RowReader : pugi::xml_tree_walker {
        std::size_t rows = 0;
        std::size_t valueBytes = 0;
        bool for_each(pugi::xml_node& node) override {
            if (std::strcmp(node.name(), "T0") == 0 || std::strcmp(node.name(), "T1") == 0) {
                ++rows;
                for (const pugi::xml_attribute attribute : node.attributes()) {
                    valueBytes += std::strlen(attribute.value());
                }
            }
            return true;
        }
    } reader;
    contents.traverse(reader);
    std::printf("%zu rows, %zu bytes of values\n", reader.rows, reader.valueBytes);
    return 0;
}
