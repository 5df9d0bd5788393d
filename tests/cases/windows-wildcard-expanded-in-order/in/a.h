note
