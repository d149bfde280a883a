; Calls that plug-in-ormolo2 refuses: each returns GIMP_PDB_CALLING_ERROR (or
; GIMP_PDB_EXECUTION_ERROR where the call is sound but cannot be carried out)
; with a message, and leaves the image as it was.

; Saves `drawable` before and after `call`, which must fail with a message
; containing `message`, and asks the driver to compare both saves.
(define (expect-refusal name drawable message call)
  (save-png drawable (string-append name "-before.png"))
  (let ((result (try call)))
    (check name (error-mentions? result message) result))
  (save-png drawable (string-append name "-after.png"))
  (expect-same (string-append name "-unchanged")
               (string-append name "-before.png") (string-append name "-after.png")))

(define (call-ormolo image drawable)
  (lambda ()
    (plug-in-ormolo2 RUN-NONINTERACTIVE image drawable 0 3 3 10 7 20 -1 1)))

(define rgb (make-shape 64 48 RGB-IMAGE 0 0 64 48))
(define rgb-image (car rgb))
(define rgb-layer (cadr rgb))

(expect-refusal "no-drawable" rgb-layer "drawable ID -1 names no drawable"
                (call-ormolo rgb-image -1))

(let* ((image (car (gimp-image-new 32 24 GRAY)))
       (layer (car (gimp-layer-new image 32 24 GRAY-IMAGE "grey" 100 LAYER-MODE-NORMAL))))
  (gimp-image-insert-layer image layer 0 0)
  (gimp-drawable-fill layer FILL-WHITE)
  (expect-refusal "grey-layer" layer "is not RGB or RGBA" (call-ormolo image layer)))

(let* ((shape (make-shape 64 48 RGB-IMAGE 0 0 64 48))
       (image (car shape))
       (layer (cadr shape)))
  (gimp-image-convert-indexed image CONVERT-DITHER-NONE CONVERT-PALETTE-GENERATE 8 FALSE TRUE "")
  (expect-refusal "indexed-layer" layer "is not RGB or RGBA" (call-ormolo image layer)))

; A channel of an RGB image is a drawable too, but a grey one.
(let ((channel (car (gimp-channel-new rgb-image 64 48 "channel" 50 '(0 0 0)))))
  (gimp-image-insert-channel rgb-image channel 0 0)
  (expect-refusal "channel" channel "is not RGB or RGBA" (call-ormolo rgb-image channel)))

; Drawables that GIMP will not let the plug-in write: a layer group, whose
; pixels come from its layers, and layers whose pixels are locked, also
; through a group around them.
(define (call-status run-mode count image drawable)
  (car (test-ormolo2-call-with-nparams RUN-NONINTERACTIVE run-mode count image drawable)))

(let* ((shape (make-shape 64 48 RGB-IMAGE 0 0 64 48))
       (image (car shape))
       (layer (cadr shape))
       (group (car (gimp-layer-group-new image))))
  (gimp-image-insert-layer image group 0 0)
  (gimp-image-reorder-item image layer group 0)
  (expect-refusal "layer-group" layer "is a layer group" (call-ormolo image group))
  (check "layer-group-status" (= (call-status RUN-NONINTERACTIVE 11 image group) PDB-CALLING-ERROR)
         "not a calling error")
  (gimp-item-set-lock-content layer TRUE)
  (expect-refusal "locked-layer" layer "are locked" (call-ormolo image layer))
  (gimp-item-set-lock-content layer FALSE)
  (gimp-item-set-lock-content group TRUE)
  (expect-refusal "layer-in-locked-group" layer "are locked" (call-ormolo image layer))
  (gimp-item-set-lock-content group FALSE)
  (expect-render "layer-in-group-renders" image layer #f default-settings
                 (lambda (image layer) (render-noninteractive image layer default-settings))))

; A layer made for an image but never added to it has no selection bounds.
(let* ((image (car (gimp-image-new 32 24 RGB)))
       (layer (car (gimp-layer-new image 32 24 RGB-IMAGE "loose" 100 LAYER-MODE-NORMAL))))
  (gimp-drawable-fill layer FILL-WHITE)
  (expect-refusal "layer-in-no-image" layer "belongs to no image" (call-ormolo image layer))
  (check "layer-in-no-image-status" (= (call-status RUN-NONINTERACTIVE 11 image layer) PDB-CALLING-ERROR)
         "not a calling error"))

; Batch GIMP has no display: an interactive call cannot show its dialog and
; says so instead of ending the plug-in.
(let* ((shape (make-shape 64 48 RGB-IMAGE 0 0 64 48))
       (image (car shape))
       (layer (cadr shape)))
  (expect-refusal "interactive-without-display" layer "no display can be opened"
                  (lambda () (plug-in-ormolo2 RUN-INTERACTIVE image layer 0 3 3 10 7 20 -1 1.0)))
  (check "interactive-without-display-status"
         (= (call-status RUN-INTERACTIVE 11 image layer) PDB-EXECUTION-ERROR) "not an execution error"))

; Argument counts that Script-Fu cannot produce, through the helper plug-in.
; Every case but the last must leave the layer unchanged.
(define (call-with-nparams run-mode count)
  (call-status run-mode count rgb-image rgb-layer))

(for-each
 (lambda (case)
   (let ((name (string-append "run-mode-" (number->string (car case))
                              "-" (number->string (cadr case)) "-arguments")))
     (save-png rgb-layer "nparams-before.png")
     (let ((status (call-with-nparams (car case) (cadr case))))
       (check name (= status PDB-CALLING-ERROR) status))
     (save-png rgb-layer (string-append name ".png"))
     (expect-same (string-append name "-unchanged") "nparams-before.png"
                  (string-append name ".png"))))
 '((1 10) (1 12) (1 3) (1 2) (1 0) (0 2) (0 0) (2 2)))

; The helper really reaches the procedure: with eleven arguments it renders.
(let ((status (call-with-nparams RUN-NONINTERACTIVE 11)))
  (check "eleven-arguments-render" (= status PDB-SUCCESS) status))
