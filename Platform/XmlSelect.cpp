// Selection by XPath over pugixml, which compares names as written in the document (prefix included)
// without resolving namespaces: the classic MSXML selection behaviour.
#include "Platform/ComText.h"
#include "Platform/XmlTree.h"

#include <new>

namespace Platform::Xml {

HRESULT Select(const NodeRef& context, BSTR query, std::vector<NodeRef>& selected) {
    const std::string expression = BstrToUtf8(query);
    try {
        const pugi::xpath_query compiled(expression.c_str());
        const pugi::xpath_node start = context.IsAttribute()
                                           ? pugi::xpath_node(context.attribute, context.node)
                                           : pugi::xpath_node(context.node);
        pugi::xpath_node_set found = compiled.evaluate_node_set(start);
        found.sort();
        selected.reserve(found.size());
        for (const pugi::xpath_node& hit : found) {
            selected.push_back(hit.attribute() ? NodeRef{context.tree, hit.parent(), hit.attribute()}
                                               : NodeRef{context.tree, hit.node(), {}});
        }
        return S_OK;
    } catch (const pugi::xpath_exception&) {
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace Platform::Xml
