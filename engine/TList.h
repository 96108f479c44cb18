#pragma once
// TList is the program's own doubly linked list of element pointers. It keeps
// the index of its last node (-1 when empty) instead of a count. A node may
// own its element and then deletes it with itself. The template offers no
// removal of single elements; owners that unlink one node (the object list,
// grid cells, tile children) use unlinkNode, which clears the node's links
// before deleting it so that nothing behind it goes with it.

template <class T>
class TList;

template <class T>
class TListNode {
public:
    bool owns;
    TListNode* next;
    TListNode* prev;
    T* value;

    TListNode(T* v, bool o) : owns(o), next(nullptr), prev(nullptr), value(v) {}

    // The element n places further on.
    virtual T* advance(int n) {
        TListNode* node = this;
        while (n > 0 && node) {
            node = node->next;
            --n;
        }
        return node ? node->value : nullptr;
    }

    // Deletes an owned element, then the whole chain behind this node. Clear
    // `next` first to delete one node alone.
    virtual ~TListNode() {
        if (owns && value) delete value;
        // Iterative, so a long chain does not exhaust the stack.
        TListNode* n = next;
        while (n) {
            TListNode* after = n->next;
            n->next = nullptr;
            delete n;
            n = after;
        }
    }
};

template <class T>
class TListIterator {
public:
    TList<T>* list;
    int index;
    TListNode<T>* node;

    explicit TListIterator(TList<T>* l) : list(l), index(-1), node(nullptr) {}
    virtual ~TListIterator() = default;

    virtual TListIterator* clone() {
        TListIterator* it = new TListIterator(list);
        it->index = index;
        it->node = node;
        return it;
    }

    // Moves on and returns the new current element; null (without moving)
    // at the end.
    virtual T* next() {
        if (!hasNext()) return nullptr;
        if (!node) {
            node = list->head;
            index = 0;
        } else {
            node = node->next;
            ++index;
        }
        return node->value;
    }

    virtual bool hasNext() {
        if (node) return node->next != nullptr;
        return list->head != nullptr;
    }

    // Inserts after the current node (at the front before the first node, at
    // the back at or past the last); the iterator does not move.
    virtual void insert(T* element, bool owns) {
        if (!node) {
            list->pushFront(element, owns);
        } else if (index >= list->lastIndex) {
            list->pushBack(element, owns);
        } else {
            TListNode<T>* n = new TListNode<T>(element, owns);
            n->next = node->next;
            if (node->next) node->next->prev = n;
            n->prev = node;
            node->next = n;
            ++list->lastIndex;
        }
    }
};

template <class T>
class TList {
public:
    TListNode<T>* head;
    TListNode<T>* tail;
    int lastIndex;

    TList() : head(nullptr), tail(nullptr), lastIndex(-1) {}
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;

    // Takes the nodes off the head one by one and deletes each, which deletes
    // the elements the nodes own.
    virtual ~TList() { clear(); }

    void clear() {
        while (head) {
            TListNode<T>* n = head;
            head = n->next;
            n->next = nullptr;
            --lastIndex;
            delete n;
        }
        tail = nullptr;
        lastIndex = -1;
    }

    TListNode<T>* pushFront(T* element, bool owns) {
        TListNode<T>* n = new TListNode<T>(element, owns);
        n->next = head;
        if (head) head->prev = n;
        head = n;
        if (!tail) tail = n;
        ++lastIndex;
        return n;
    }

    TListNode<T>* pushBack(T* element, bool owns) {
        if (!head) return pushFront(element, owns);
        TListNode<T>* n = new TListNode<T>(element, owns);
        n->prev = tail;
        tail->next = n;
        tail = n;
        ++lastIndex;
        return n;
    }

    // A new iterator before the first node; the caller deletes it.
    TListIterator<T>* createIterator() { return new TListIterator<T>(this); }

    int count() const { return lastIndex + 1; }
    bool isEmpty() const { return head == nullptr; }

    // The element at position i from the front, or null.
    T* at(int i) const { return (i < 0 || !head) ? nullptr : head->advance(i); }

    // Unlinks one node of this list and deletes it alone (its element too
    // when the node owns it).
    void unlinkNode(TListNode<T>* n) {
        if (!n) return;
        if (n->prev) n->prev->next = n->next;
        else head = n->next;
        if (n->next) n->next->prev = n->prev;
        else tail = n->prev;
        n->next = nullptr;
        n->prev = nullptr;
        --lastIndex;
        delete n;
    }

    // Unlinks the first node holding `element`; false when none does.
    bool remove(T* element) {
        for (TListNode<T>* n = head; n; n = n->next) {
            if (n->value == element) {
                unlinkNode(n);
                return true;
            }
        }
        return false;
    }
};
